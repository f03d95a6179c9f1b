#pragma once

#include <cstddef>
#include <vector>

#include "kinetra/model/joint_kernels.hpp"

namespace kinetra::kernel {

// Newton-Euler's tables, each in the joint's own frame (n joints).
template <class S>
struct RneaWorkspace {
  std::vector<Placement<S>> parent_from_joint;  // X_i, joint i's frame in its parent's, for q
  std::vector<Halves<S>> velocity;              // v_i = X_i^-1 v_parent + S qd
  std::vector<Halves<S>> acceleration;  // a_i = X_i^-1 a_parent + S qdd + v_i x S qd; a_0 = -g
  std::vector<Halves<S>> force;         // f_i = I a_i + v_i x* (I v_i), then the children's added

  void resize(std::size_t n) {
    parent_from_joint.resize(n);
    velocity.resize(n);
    acceleration.resize(n);
    force.resize(n);
  }
};

// f = I a + v x* (I v) of a body given at its centre of mass: at the com the inertia is block
// diagonal, (I w' + w x I w; m (a_c + w x v_c)) with v_c = v - c x w, a_c = a - c x w'; moved to
// the frame origin, n gains c x f.
template <class S>
Halves<S> momentum_rate(const Inertia& body, const Halves<S>& v, const Halves<S>& a) {
  // the model's own entries where S is double: a copy on the stack, stored as a pair and a single
  // value, would be read back as pairs at other offsets, which the processor cannot forward
  const auto& com = body.com.template cast<S>();
  const Vec3<S>&w = v.angular, &dw = a.angular;
  const Vec3<S> v_c = v.linear - com.cross(w);
  const Vec3<S> a_c = a.linear - com.cross(dw);
  const Vec3<S> f = S(body.mass) * (a_c + w.cross(v_c));
  return {symmetric_times(body.inertia.data, dw) + w.cross(symmetric_times(body.inertia.data, w)) +
              com.cross(f),
          f};
}

// tau = M(q) a + C(q, v) v + g(q) by recursive Newton-Euler; null v or a stand for zero. Placements
// first, then motions, then forces: placements and forces do not depend on other joints', so the
// processor overlaps them; only the motions and the inward sum of forces are chains. Along a chain
// (parent i - 1) the parent's values are carried over from the step before rather than read back.
template <class S>
void rnea(const CompiledModel& model, RneaWorkspace<S>& ws, const S* q, const S* v, const S* a,
          S* tau) {
  const std::size_t n = model.njoints;
  for (std::size_t i = 1; i < n; ++i) ws.parent_from_joint[i] = parent_from_joint(model, i, q);

  ws.velocity[0] = {};
  // a base acceleration of -g stands in for gravity on every body
  ws.acceleration[0] = {Vec3<S>::Zero(), -model.gravity.template cast<S>()};
  Halves<S> last_velocity = ws.velocity[0], last_acceleration = ws.acceleration[0];
  for (std::size_t i = 1; i < n; ++i) {
    const std::size_t parent = model.parent[i];
    const Placement<S>& parent_from_this = ws.parent_from_joint[i];
    if (parent != i - 1) {
      last_velocity = ws.velocity[parent];
      last_acceleration = ws.acceleration[parent];
    }
    Halves<S> vi = parent_from_this.act_motion_inverse(last_velocity);
    Halves<S> ai = parent_from_this.act_motion_inverse(last_acceleration);
    const std::size_t first = model.v_address[i];
    const JointCode kind = model.kind[i];
    if (turns(kind) || kind == JointCode::prismatic) {
      const S qd = v ? v[first] : S(0), qdd = a ? a[first] : S(0);
      const auto& axis = model.terms[i].axis.template cast<S>();
      const Vec3<S> moved = qd * axis;
      // v += S qd, a += v x S qd + S qdd
      if (turns(kind)) {
        vi.angular += moved;
        ai.angular += vi.angular.cross(moved) + qdd * axis;
        ai.linear += vi.linear.cross(moved);
      } else {
        vi.linear += moved;
        ai.linear += vi.angular.cross(moved) + qdd * axis;
      }
    } else {
      Vec6<S> joint_velocity = Vec6<S>::Zero(), joint_acceleration = Vec6<S>::Zero();
      for (std::size_t k = first; k < first + model.joint_nv[i]; ++k) {
        const Vec6<S> s = model.dof_motion[k].template cast<S>();
        if (v) joint_velocity += v[k] * s;
        if (a) joint_acceleration += a[k] * s;
      }
      const Vec6<S> vj = vi.joined() + joint_velocity;
      vi = Halves<S>::of(vj);
      ai = Halves<S>::of(ai.joined() + motion_cross_motion(vj, joint_velocity) +
                         joint_acceleration);
    }
    ws.velocity[i] = last_velocity = vi;
    ws.acceleration[i] = last_acceleration = ai;
  }
  for (std::size_t i = 1; i < n; ++i) {
    ws.force[i] = momentum_rate(model.body[i], ws.velocity[i], ws.acceleration[i]);
  }

  // tau = S^T f; the force of a child i + 1 is carried over to joint i in the same way
  Halves<S> carried;
  for (std::size_t i = n - 1; i > 0; --i) {
    Halves<S> fi = ws.force[i];
    fi += carried;
    const std::size_t first = model.v_address[i];
    const JointCode kind = model.kind[i];
    if (turns(kind)) {
      tau[first] = model.terms[i].axis.template cast<S>().dot(fi.angular);
    } else if (kind == JointCode::prismatic) {
      tau[first] = model.terms[i].axis.template cast<S>().dot(fi.linear);
    } else {
      for (std::size_t k = first; k < first + model.joint_nv[i]; ++k) {
        tau[k] = model.dof_motion[k].template cast<S>().dot(fi.joined());
      }
    }
    const std::size_t parent = model.parent[i];
    carried = ws.parent_from_joint[i].act_force(fi);
    if (parent == i - 1) continue;
    if (parent != 0) ws.force[parent] += carried;
    carried = {};
  }
}

}  // namespace kinetra::kernel
