#pragma once

#include <cstddef>
#include <expected>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <pugixml.hpp>

#include "kinetra/export.hpp"
#include "kinetra/geometry/geometry_object.hpp"
#include "kinetra/urdf/mesh_path.hpp"
#include "kinetra/urdf/parse_error.hpp"

namespace kinetra {

// Material colours by exact name.
using MaterialTable = std::unordered_map<std::string, Color>;

// Colour of every geometry object no material colours.
inline constexpr Color default_geometry_color{0.9, 0.9, 0.9, 1.0};

// The colours of <material> elements, a later one replacing an earlier one of the same name.
KINETRA_API std::expected<MaterialTable, ParseError> parse_materials(
    const std::vector<pugi::xml_node>& elements);

// Where a link's geometry hangs: the joint carrying it and the link's Body frame.
struct GeometryAnchor {
  std::size_t parent_joint;
  std::size_t parent_frame;
  SE3 frame_placement;  // the Body frame in the joint's frame
};

// The object described by one <collision> or <visual> element, placed in the joint's frame.
// Visual elements take their colour from `materials` and record named inline colours in it.
KINETRA_API std::expected<GeometryObject, ParseError> parse_geometry(
    const pugi::xml_node& element, std::string name, const GeometryAnchor& anchor, bool is_visual,
    MaterialTable& materials, const MeshLookup& meshes);

}  // namespace kinetra
