#pragma once

#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "kinetra/export.hpp"
#include "kinetra/geometry/geometry_model.hpp"
#include "kinetra/model/model.hpp"
#include "kinetra/urdf/mesh_path.hpp"
#include "kinetra/urdf/parse_error.hpp"

namespace kinetra {

// The kinematic model of a robot and its collision and visual geometry.
struct UrdfModels {
  Model model;
  GeometryModel collision;
  GeometryModel visual;
};

// Reads the URDF file at `filepath`. Relative mesh file names are resolved against
// `package_dir`, "package://" references through ROS_PACKAGE_PATH. Nothing partial is
// returned on error.
KINETRA_API std::expected<UrdfModels, ParseError> build_models_from_urdf(
    const std::string& filepath, const std::optional<std::string>& package_dir);

// The same for a description already in memory.
KINETRA_API std::expected<UrdfModels, ParseError> build_models_from_urdf_string(
    std::string_view xml, const std::optional<std::string>& package_dir);

// Both with mesh files looked up as `meshes` says. With a `root_joint`, a copy of it joins each
// root link to the world: "root_joint" for the first root link, then "root_joint_1",
// "root_joint_2", ..., skipping names the description gives its own joints. With `mimic`, each
// joint with a <mimic> follows the joint it names (Model::set_mimic_joints); without, <mimic>
// is ignored.
KINETRA_API std::expected<UrdfModels, ParseError> build_models_from_urdf(
    const std::string& filepath, const MeshLookup& meshes,
    const std::optional<JointModel>& root_joint = std::nullopt, bool mimic = false);
KINETRA_API std::expected<UrdfModels, ParseError> build_models_from_urdf_string(
    std::string_view xml, const MeshLookup& meshes,
    const std::optional<JointModel>& root_joint = std::nullopt, bool mimic = false);

}  // namespace kinetra
