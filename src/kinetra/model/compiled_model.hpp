#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "kinetra/inertia/inertia.hpp"
#include "kinetra/model/joint_terms.hpp"

namespace kinetra {

class Model;

// The one code the sweeps read a joint's kind from. Revolute and continuous joints turn about one
// axis (by an angle, or by a (cos, sin) pair), prismatic ones slide along one; the others move
// along several axes whose columns are in CompiledModel::dof_motion.
enum class JointCode : std::uint8_t { fixed, revolute, continuous, prismatic, spherical, floating, planar };

// A model as flat arrays for the sweeps, built from a Model and never changed; the sweeps walk
// indices and check nothing. Shapes beside each array (n joints, nv dofs).
struct CompiledModel {
  std::size_t njoints = 0;
  std::size_t nq = 0;
  std::size_t nv = 0;
  Vector3D gravity = Vector3D::Zero();

  std::vector<std::size_t> parent;      // (n) parent joint, before the joint; 0 for joint 0
  std::vector<JointCode> kind;          // (n)
  std::vector<std::size_t> q_address;   // (n) first entry of the joint in q
  std::vector<std::size_t> v_address;   // (n) first entry of the joint in v, a, tau
  std::vector<std::size_t> joint_nv;    // (n) the joint's dofs
  std::vector<JointTerms> terms;        // (n) placement in the parent as rest * motion(q)
  std::vector<SE3> rest;                // (n) rest placement in the parent
  std::vector<Inertia> body;            // (n) body inertia in the joint's frame
  std::vector<std::ptrdiff_t> last_dof; // (n) last dof at or above the joint (-1: none)
  std::vector<SpatialMotion> dof_motion;  // (nv) column of S in its joint's frame
  std::vector<std::ptrdiff_t> dof_parent; // (nv) previous dof on the path to the root (-1)
  // planar joints' rotation from the plane frame (columns ex, ey, n), per joint (n)
  std::vector<SpatialRotation> plane;

  explicit CompiledModel(const Model& model);
};

// The compiled form of one model, built on first use and dropped when the model changes. Safe to
// read from several threads at once; a copy starts empty.
class CompiledModelCache {
 public:
  CompiledModelCache() = default;
  CompiledModelCache(const CompiledModelCache&) {}
  CompiledModelCache& operator=(const CompiledModelCache&) {
    reset();
    return *this;
  }

  const CompiledModel& get(const Model& model) const {
    if (const CompiledModel* ready = ready_.load(std::memory_order_acquire)) return *ready;
    return build(model);
  }
  // to be called by whatever changes the model
  void reset() {
    ready_.store(nullptr, std::memory_order_relaxed);
    owned_.reset();
  }

 private:
  const CompiledModel& build(const Model& model) const;

  mutable std::mutex mutex_;
  mutable std::unique_ptr<const CompiledModel> owned_;
  mutable std::atomic<const CompiledModel*> ready_{nullptr};
};

}  // namespace kinetra
