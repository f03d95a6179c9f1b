#include "kinetra/urdf/geometry.hpp"

#include "kinetra/urdf/attributes.hpp"
#include "kinetra/urdf/elements.hpp"
#include "kinetra/urdf/mesh_path.hpp"
#include "kinetra/urdf/xml_element.hpp"
#include "vortan/cuboid.hpp"
#include "vortan/cylinder.hpp"
#include "vortan/mesh.hpp"
#include "vortan/sphere.hpp"

namespace kinetra {

namespace {

// The first of box, cylinder, sphere and mesh present, in that priority.
std::expected<vortan::ShapeWrapper, ParseError> parse_shape(const pugi::xml_node& geometry,
                                                            const std::string& name,
                                                            const MeshLookup& meshes) {
  const auto [box, cylinder, sphere, mesh] =
      first_children(geometry, "box", "cylinder", "sphere", "mesh");
  if (box) {
    const auto size = extract_float3(box, "size");
    if (!size) return std::unexpected(size.error());
    return vortan::ShapeWrapper(
        vortan::Cuboid({(*size)[0] * 0.5f, (*size)[1] * 0.5f, (*size)[2] * 0.5f}));
  }
  if (cylinder) {
    const auto [radius_text, length_text] = attributes(cylinder, "radius", "length");
    const auto radius = read_float(radius_text, "radius");
    if (!radius) return std::unexpected(radius.error());
    const auto length = read_float(length_text, "length");
    if (!length) return std::unexpected(length.error());
    return vortan::ShapeWrapper(vortan::Cylinder(*radius, *length * 0.5f));
  }
  if (sphere) {
    const auto radius = extract_float(sphere, "radius");
    if (!radius) return std::unexpected(radius.error());
    return vortan::ShapeWrapper(vortan::Sphere(*radius));
  }
  if (mesh) {
    const auto filename = extract_text(mesh, "filename");
    if (!filename) return std::unexpected(filename.error());
    auto path = resolve_mesh_path(*filename, meshes);
    if (!path) return std::unexpected(std::move(path.error()));
    std::array<float, 3> scale{1.0f, 1.0f, 1.0f};
    if (const auto scale_text = attribute(mesh, "scale")) {
      const auto factors = read_float3(scale_text, "scale");
      if (!factors) return std::unexpected(factors.error());
      scale = *factors;
    }
    return vortan::ShapeWrapper(vortan::Mesh(std::move(*path), scale));
  }
  return std::unexpected(ParseError::of(ParseError::Kind::GeometryWithoutShape, name));
}

// The colour a visual's <material> gives: a known material name wins over the material's own
// colour; a named inline colour is remembered for later visuals. Never an error.
Color visual_color(const pugi::xml_node& material, MaterialTable& materials) {
  if (!material) return default_geometry_color;
  const auto name = attribute(material, "name");
  if (name) {
    if (const auto known = materials.find(std::string(*name)); known != materials.end()) {
      return known->second;
    }
  }
  const pugi::xml_node color = first_child(material, "color");
  if (!color) return default_geometry_color;
  const auto rgba = extract_color(color, "rgba");
  if (!rgba) return default_geometry_color;
  if (name && !name->empty()) materials[std::string(*name)] = *rgba;
  return *rgba;
}

}  // namespace

std::expected<MaterialTable, ParseError> parse_materials(
    const std::vector<pugi::xml_node>& elements) {
  MaterialTable materials;
  for (const pugi::xml_node& material : elements) {
    const auto name = attribute(material, "name");
    if (!name) {
      return std::unexpected(
          ParseError::of(ParseError::Kind::MissingName, describe_element(material)));
    }
    const pugi::xml_node color = first_child(material, "color");
    if (!color) {
      return std::unexpected(
          ParseError::of(ParseError::Kind::MaterialWithoutColor, std::string(*name)));
    }
    const auto rgba = extract_color(color, "rgba");
    if (!rgba) return std::unexpected(rgba.error());
    materials[std::string(*name)] = *rgba;
  }
  return materials;
}

std::expected<GeometryObject, ParseError> parse_geometry(const pugi::xml_node& element,
                                                         std::string name,
                                                         const GeometryAnchor& anchor,
                                                         bool is_visual, MaterialTable& materials,
                                                         const MeshLookup& meshes) {
  const auto [geometry, origin_element, material] =
      first_children(element, "geometry", "origin", "material");
  if (!geometry) {
    return std::unexpected(ParseError::of(ParseError::Kind::VisualWithoutGeometry, name));
  }
  auto shape = parse_shape(geometry, name, meshes);
  if (!shape) return std::unexpected(std::move(shape.error()));
  const auto origin = parse_origin(origin_element);
  if (!origin) return std::unexpected(origin.error());
  const Color color = is_visual ? visual_color(material, materials) : default_geometry_color;
  return GeometryObject{std::move(name),
                        anchor.parent_joint,
                        anchor.parent_frame,
                        std::move(*shape),
                        false,
                        color,
                        anchor.frame_placement * *origin};
}

}  // namespace kinetra
