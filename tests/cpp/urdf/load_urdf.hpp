#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "kinetra/urdf/urdf.hpp"

namespace kinetra {

// The models of an inline description that must load.
inline UrdfModels load(std::string_view xml, const std::optional<std::string>& package_dir = {}) {
  auto models = build_models_from_urdf_string(xml, package_dir);
  if (!models) ADD_FAILURE() << "unexpected error: " << models.error().display();
  return models ? std::move(*models) : UrdfModels{};
}

// The message of an inline description that must fail.
inline std::string load_error(std::string_view xml,
                              const std::optional<std::string>& package_dir = {}) {
  const auto models = build_models_from_urdf_string(xml, package_dir);
  if (models) return "(loaded)";
  return models.error().display();
}

// `body` inside <robot name="r">.
inline std::string robot(std::string_view body) {
  return "<robot name=\"r\">" + std::string(body) + "</robot>";
}

}  // namespace kinetra
