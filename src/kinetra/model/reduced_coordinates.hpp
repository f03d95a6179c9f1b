#pragma once

#include "kinetra/export.hpp"

#include <Eigen/Core>
#include <cstddef>
#include <expected>
#include <string>
#include <vector>

#include "kinetra/spatial/configuration.hpp"

namespace kinetra {

class Model;

// A joint whose coordinate follows another's: q_joint = multiplier * q_reference + offset.
struct MimicJoint {
  std::size_t joint;
  std::size_t reference;
  double multiplier = 1.0;
  double offset = 0.0;

  bool operator==(const MimicJoint&) const = default;
};

// Refusal of a set of mimic joints; the model is left unchanged.
struct KINETRA_API MimicError {
  enum class Kind { UnknownJoint, Loop, UnsupportedKind, TwoReferences, NotFinite };
  Kind kind;
  std::string joint;  // the mimicking joint
  std::string other;  // UnknownJoint: the name it refers to; UnsupportedKind: the joint refused

  // e.g. "joint 'finger_2' mimics unknown joint 'palm'"
  std::string display() const;
};

// The coordinates left when mimicking joints follow their references. The model keeps its
// full tree (nq, nv); callers see q_r (nq_r) and v_r (nv_r) with
//   q = E q_r + offsets, v = G v_r,
// where each full entry is one reduced entry times a factor. Results come back through G:
// tau_r = G^T tau, M_r = G^T M G, J_r = J G. Only revolute and prismatic joints take part, so a
// follower is one entry of q and one of v. Joints added to the model later are kept as they are.
class KINETRA_API ReducedCoordinates {
 public:
  // No mimic joints: the reduced coordinates are the full ones.
  ReducedCoordinates() = default;
  // Chains of mimics are resolved to the joint at their end; loops, unknown joints, joints
  // other than revolute and prismatic, two references for one joint and non-finite factors
  // are refused.
  static std::expected<ReducedCoordinates, MimicError> make(const Model& model,
                                                            std::vector<MimicJoint> mimics);

  bool empty() const { return followers_.empty(); }
  // as given, in the order given
  const std::vector<MimicJoint>& mimic_joints() const { return mimics_; }
  std::size_t nq(const Model& model) const;
  std::size_t nv(const Model& model) const;

  // q = E q_r + offsets, v = G v_r into caller storage of the full sizes
  void expand_configuration(const ConfigurationRef& q_r, Eigen::Ref<Configuration> q) const;
  void expand_velocity(const ConfigurationRef& v_r, Eigen::Ref<Configuration> v) const;
  Configuration expand_configuration(const Model& model, const ConfigurationRef& q_r) const;
  Configuration expand_velocity(const Model& model, const ConfigurationRef& v_r) const;
  // the entries that do not follow: q_r from a full q, v_r from a v = G v_r
  Configuration keep_configuration(const ConfigurationRef& q) const;
  Configuration keep_velocity(const ConfigurationRef& v) const;
  // the reverse of keep_*: writes those entries of q or v, leaving the followers' as they are
  void place_kept_configuration(const ConfigurationRef& q_r, Eigen::Ref<Configuration> q) const;
  void place_kept_velocity(const ConfigurationRef& v_r, Eigen::Ref<Configuration> v) const;
  // J G for any number of rows of nv columns; G^T tau; G^T M G
  Eigen::MatrixXd project_columns(const Eigen::Ref<const Eigen::MatrixXd>& columns) const;
  Configuration project_effort(const ConfigurationRef& tau) const;
  Eigen::MatrixXd project_mass_matrix(const Eigen::Ref<const Eigen::MatrixXd>& mass) const;

 private:
  // a following entry, at full index q (in q) and v (in v), made of reduced entries source_q
  // and source_v
  struct Follower {
    std::size_t q, v, source_q, source_v;
    double multiplier, offset;
  };
  Configuration keep(const ConfigurationRef& full, std::size_t Follower::*index) const;
  void place_kept(const ConfigurationRef& kept, Eigen::Ref<Configuration> full,
                  std::size_t Follower::*index) const;

  std::vector<MimicJoint> mimics_;
  std::vector<Follower> followers_;  // by full index, ascending
};

}  // namespace kinetra
