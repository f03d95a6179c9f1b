#pragma once

#include <initializer_list>
#include <string_view>

#include "kinetra/geometry/geometry_data.hpp"
#include "kinetra/model/algorithms.hpp"
#include "kinetra/model/configurations.hpp"
#include "kinetra/urdf/urdf.hpp"

namespace kinetra {

// Runs kinematics, dynamics and the placement of `geometries` on `model` at a random
// configuration. Anything may fail with an error value; nothing may crash, read out of bounds or
// overflow.
inline void exercise_model(const Model& model,
                           std::initializer_list<const GeometryModel*> geometries = {}) {
  (void)debug_value(model).pretty();
  for (const Frame& frame : model.frames()) (void)frame_text(frame);
  Data data = model.create_data();
  Rng rng(0);
  const auto q = random_configuration(model, rng);
  if (!q) return;
  const Configuration v = Configuration::Ones(static_cast<Eigen::Index>(model.nv()));
  if (!forward_kinematics(model, data, *q)) return;
  const auto tau = rnea(model, data, *q, v, v);
  if (tau) (void)aba(model, data, *q, v, *tau);
  (void)crba(model, data, *q);
  (void)kinetic_energy(model, data, *q, v);
  (void)potential_energy(model, data, *q);
  for (const GeometryModel* geometry : geometries) {
    (void)GeometryData::create(data.joint_placements, *geometry);
  }
}

// Loads a description from memory and, when it loads, exercises its models.
inline void exercise_urdf(std::string_view text) {
  auto models = build_models_from_urdf_string(text, std::nullopt);
  if (!models) {
    (void)models.error().display();
    return;
  }
  exercise_model(models->model, {&models->collision, &models->visual});
}

}  // namespace kinetra
