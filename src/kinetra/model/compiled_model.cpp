#include "kinetra/model/compiled_model.hpp"

#include "kinetra/model/model.hpp"

namespace kinetra {

namespace {

JointCode code_of(const JointModel& joint) {
  switch (joint.type()) {
    case JointType::Revolute:
      return JointCode::revolute;
    case JointType::Continuous:
      return JointCode::continuous;
    case JointType::Prismatic:
      return JointCode::prismatic;
    case JointType::Spherical:
      return JointCode::spherical;
    case JointType::Floating:
      return JointCode::floating;
    case JointType::Planar:
      return JointCode::planar;
    case JointType::Fixed:
      break;
  }
  return JointCode::fixed;
}

}  // namespace

CompiledModel::CompiledModel(const Model& model)
    : njoints(model.njoints()),
      nq(model.nq()),
      nv(model.nv()),
      gravity(model.gravity()),
      parent(model.joint_parents()),
      terms(model.joint_terms()),
      rest(model.joint_placements()),
      body(model.inertias()) {
  kind.reserve(njoints);
  q_address.reserve(njoints);
  v_address.reserve(njoints);
  joint_nv.reserve(njoints);
  last_dof.reserve(njoints);
  plane.assign(njoints, SpatialRotation::Identity());
  dof_motion.reserve(nv);
  dof_parent.reserve(nv);
  for (std::size_t i = 0; i < njoints; ++i) {
    const JointModel& joint = model.joint_models()[i];
    kind.push_back(code_of(joint));
    q_address.push_back(model.idx_q(i));
    v_address.push_back(model.idx_v(i));
    joint_nv.push_back(joint.nv());
    const MotionSubspace s = joint.motion_subspace();
    std::ptrdiff_t above = i == 0 ? -1 : last_dof[parent[i]];
    for (Eigen::Index k = 0; k < s.cols(); ++k) {
      dof_motion.push_back(s.col(k));
      dof_parent.push_back(above);
      above = static_cast<std::ptrdiff_t>(dof_parent.size()) - 1;
    }
    last_dof.push_back(above);
    joint.visit([&](const auto& form) {
      if constexpr (requires { form.plane; }) plane[i] = form.plane;
    });
  }
}

const CompiledModel& CompiledModelCache::build(const Model& model) const {
  std::lock_guard lock(mutex_);
  if (const CompiledModel* ready = ready_.load(std::memory_order_relaxed)) return *ready;
  owned_ = std::make_unique<const CompiledModel>(model);
  ready_.store(owned_.get(), std::memory_order_release);
  return *owned_;
}

}  // namespace kinetra
