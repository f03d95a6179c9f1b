// KDL chains and trees carrying a kinetra model's joints, placements and inertias, for the
// side-by-side benchmarks. Each joint becomes one segment: the joint turns or slides about its
// axis through its rest placement in the parent, the segment's tip is that placement (the joint
// frame) and its inertia the joint's, so every segment tip moves like the kinetra joint frame.
#pragma once

#include <kdl/chain.hpp>
#include <kdl/frames.hpp>
#include <kdl/rigidbodyinertia.hpp>
#include <kdl/segment.hpp>
#include <kdl/tree.hpp>
#include <string>
#include <vector>

#include "kinetra/model/model.hpp"

namespace kinetra::bench {

inline KDL::Vector kdl_vector(const Vector3D& v) { return {v.x(), v.y(), v.z()}; }

inline KDL::Frame kdl_frame(const SE3& placement) {
  const SpatialRotation& r = placement.rotation;
  return {KDL::Rotation(r(0, 0), r(0, 1), r(0, 2), r(1, 0), r(1, 1), r(1, 2), r(2, 0), r(2, 1),
                        r(2, 2)),
          kdl_vector(placement.translation)};
}

// The segment of joint i (i > 0), named after it; a joint of several axes is not supported.
inline KDL::Segment kdl_segment(const Model& model, std::size_t i) {
  const JointModel& joint = model.joint_models()[i];
  const SE3& rest = model.joint_placements()[i];
  KDL::Joint kdl_joint(model.joint_names()[i], KDL::Joint::Fixed);
  const MotionSubspace s = joint.motion_subspace();
  if (s.cols() == 1) {
    const bool turns = joint.type() != JointType::Prismatic;
    const Vector3D axis =
        rest.rotation * (turns ? Vector3D(s.col(0).head<3>()) : Vector3D(s.col(0).tail<3>()));
    kdl_joint = KDL::Joint(model.joint_names()[i], kdl_vector(rest.translation), kdl_vector(axis),
                           turns ? KDL::Joint::RotAxis : KDL::Joint::TransAxis);
  }
  const Inertia& body = model.inertias()[i];
  const auto& c = body.inertia.data;  // xx, yy, zz, xy, xz, yz about the centre of mass
  const KDL::RigidBodyInertia inertia(body.mass, kdl_vector(body.com),
                                      KDL::RotationalInertia(c[0], c[1], c[2], c[3], c[4], c[5]));
  return KDL::Segment(model.joint_names()[i], kdl_joint, kdl_frame(rest), inertia);
}

// The joints from the root to `last`.
inline KDL::Chain kdl_chain(const Model& model, std::size_t last) {
  std::vector<std::size_t> path;
  for (std::size_t i = last; i > 0; i = model.joint_parents()[i]) path.insert(path.begin(), i);
  KDL::Chain chain;
  for (const std::size_t i : path) chain.addSegment(kdl_segment(model, i));
  return chain;
}

// Every joint, in joint order, so KDL numbers the moving ones as kinetra does.
inline KDL::Tree kdl_tree(const Model& model) {
  KDL::Tree tree("root");
  for (std::size_t i = 1; i < model.njoints(); ++i) {
    const std::size_t parent = model.joint_parents()[i];
    tree.addSegment(kdl_segment(model, i), parent == 0 ? "root" : model.joint_names()[parent]);
  }
  return tree;
}

}  // namespace kinetra::bench
