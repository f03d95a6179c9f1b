#pragma once

#include <cstddef>

#include "kinetra/model/compiled_model.hpp"
#include "kinetra/model/kernel_spatial.hpp"

namespace kinetra::kernel {

// Joint i's placement in its parent for the model's configuration q, rest * motion(q_i); with
// `own`, also the joint's own motion (its child frame in its rest frame). The one place where a
// joint's kind decides how q places it.
template <class S>
Placement<S> parent_from_joint(const CompiledModel& model, std::size_t i, const S* q,
                               Placement<S>* own = nullptr) {
  const JointTerms& terms = model.terms[i];
  const S* qi = q + model.q_address[i];
  // rest * Rot(u, angle) = K + cos A + sin B
  const auto turned = [&](const S& c, const S& s) {
    if (own) *own = {rotation_about(terms.axis, c, s), Vec3<S>::Zero()};
    return Placement<S>{terms.k.template cast<S>() + c * terms.a.template cast<S>() +
                            s * terms.b.template cast<S>(),
                        terms.t.template cast<S>()};
  };
  const auto after_rest = [&](const Placement<S>& motion) {
    if (own) *own = motion;
    return placement_of<S>(model.rest[i]) * motion;
  };
  switch (model.kind[i]) {
    case JointCode::revolute: {
      const auto [c, s] = cos_sin(qi[0]);
      return turned(c, s);
    }
    case JointCode::continuous: {
      const auto [c, s] = unit_direction(qi[0], qi[1]);
      return turned(c, s);
    }
    case JointCode::prismatic:
      if (own) *own = {Mat3<S>::Identity(), qi[0] * terms.axis.template cast<S>()};
      return {terms.k.template cast<S>(),
              terms.t.template cast<S>() + qi[0] * terms.d.template cast<S>()};
    case JointCode::spherical: {
      const Mat3<S> r = quaternion_rotation(qi);
      if (own) *own = {r, Vec3<S>::Zero()};
      return {model.rest[i].rotation.template cast<S>() * r, terms.t.template cast<S>()};
    }
    case JointCode::floating:
      return after_rest({quaternion_rotation(qi + 3), Vec3<S>(qi[0], qi[1], qi[2])});
    case JointCode::planar: {
      const auto [c, s] = unit_direction(qi[2], qi[3]);
      const SpatialRotation& plane = model.plane[i];
      return after_rest({rotation_about(Vector3D(plane.col(2)), c, s),
                         plane.col(0).template cast<S>() * qi[0] +
                             plane.col(1).template cast<S>() * qi[1]});
    }
    case JointCode::fixed:
      break;
  }
  if (own) *own = {};
  return {terms.k.template cast<S>(), terms.t.template cast<S>()};
}

// Whether the joint moves along one axis whose S column is (axis; 0) or (0; axis).
inline bool turns(JointCode kind) {
  return kind == JointCode::revolute || kind == JointCode::continuous;
}

}  // namespace kinetra::kernel
