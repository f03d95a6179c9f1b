#pragma once

#include <string>

#include "kinetra/model/configurations.hpp"
#include "kinetra/model/model.hpp"

namespace kinetra::testing {

inline double uniform(Rng& rng, double lo, double hi) { return lo + (hi - lo) * uniform01(rng); }

inline Vector3D random_vector(Rng& rng, double lo, double hi) {
  return {uniform(rng, lo, hi), uniform(rng, lo, hi), uniform(rng, lo, hi)};
}

// A body with positive mass and a positive-definite rotational inertia off its frame origin.
inline Inertia random_inertia(Rng& rng) {
  Inertia body = *Inertia::from_ellipsoid(uniform(rng, 0.5, 2.0), uniform(rng, 0.1, 0.5),
                                          uniform(rng, 0.1, 0.5), uniform(rng, 0.1, 0.5));
  body.com = random_vector(rng, -0.5, 0.5);
  return body.act({SE3::random(rng).rotation, Vector3D::Zero()});
}

// Axis of arbitrary direction and length in [0.5, 2].
inline Vector3D random_axis(Rng& rng) {
  const Vector3D direction = random_vector(rng, -1, 1).normalized();
  return direction * uniform(rng, 0.5, 2.0);
}

// Any kind; fixed joints only `with_fixed`, several-axis ones only `with_multi_axis`.
inline JointModel random_joint(Rng& rng, bool with_fixed, bool with_multi_axis) {
  const std::uint64_t pick = rng() % (with_multi_axis ? 6 : 3);
  switch (with_fixed && rng() % 7 == 0 ? 6 : pick) {
    case 0:
      return JointModel::revolute(random_axis(rng));
    case 1:
      return JointModel::continuous(random_axis(rng));
    case 2:
      return JointModel::prismatic(random_axis(rng));
    case 3:
      return JointModel::floating();
    case 4:
      return JointModel::spherical();
    case 5:
      return JointModel::planar(random_axis(rng));
    default:
      return JointModel::fixed();
  }
}

// Joint `id`'s body, folded in through a body frame at a random placement.
inline void add_random_body(Model& model, std::size_t id, Rng& rng) {
  Frame body{"body" + std::to_string(id), id, 0, SE3::random(rng), FrameType::Body,
             random_inertia(rng)};
  (void)*model.add_frame(std::move(body), true);
}

// Random parents, kinds, axes, rest placements and bodies.
inline Model random_tree(Rng& rng, std::size_t joints, bool with_fixed = true,
                         bool with_multi_axis = true) {
  Model model("tree");
  for (std::size_t i = 1; i <= joints; ++i) {
    const std::size_t parent = rng() % i;
    const std::string name = "joint" + std::to_string(i);
    const std::size_t id = *model.add_joint(parent, random_joint(rng, with_fixed, with_multi_axis),
                                            SE3::random(rng), name);
    add_random_body(model, id, rng);
  }
  return model;
}

// A random tree on a floating joint "root" at the world origin.
inline Model floating_base_tree(Rng& rng, std::size_t joints) {
  Model model("floating");
  (void)*model.add_joint(0, JointModel::floating(), SE3::identity(), "root");
  add_random_body(model, 1, rng);
  for (std::size_t i = 2; i <= joints; ++i) {
    const std::size_t parent = 1 + rng() % (i - 1);
    const std::size_t id = *model.add_joint(parent, random_joint(rng, true, true), SE3::random(rng),
                                            "joint" + std::to_string(i));
    add_random_body(model, id, rng);
  }
  return model;
}

// The neutral configuration moved by up to pi along every axis.
inline Configuration random_q(const Model& model, Rng& rng) {
  Configuration dv(static_cast<Eigen::Index>(model.nv()));
  for (auto& x : dv) x = uniform(rng, -M_PI, M_PI);
  return *integrate(model, *neutral(model), dv);
}

inline Configuration random_v(const Model& model, Rng& rng) {
  Configuration v(static_cast<Eigen::Index>(model.nv()));
  for (auto& x : v) x = uniform(rng, -2.0, 2.0);
  return v;
}

}  // namespace kinetra::testing
