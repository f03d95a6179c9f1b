#include "kinetra/geometry/serialization.hpp"

#include <type_traits>

namespace kinetra {

namespace {

constexpr vortan::ShapeType shape_types[] = {
    vortan::ShapeType::Capsule,  vortan::ShapeType::Cone,   vortan::ShapeType::Cuboid,
    vortan::ShapeType::Cylinder, vortan::ShapeType::Sphere, vortan::ShapeType::Mesh};

}  // namespace

void write_shape_fields(BinaryWriter& w, const vortan::Shape& shape) {
  if (auto radius = shape.get_radius()) w.f32(*radius);
  if (auto half_length = shape.get_half_length()) w.f32(*half_length);
  if (auto half_extents = shape.get_half_extents()) {
    for (float x : *half_extents) w.f32(x);
  }
  if (auto path = shape.get_mesh_path()) w.string(*path);
  if (auto scale = shape.get_mesh_scale()) {
    for (float x : *scale) w.f32(x);
  }
}

std::optional<vortan::ShapeWrapper> read_shape_fields(BinaryReader& r, vortan::ShapeType type) {
  const auto radius_and_half_length = [&r]<class S>(std::type_identity<S>) {
    const float radius = r.f32();
    return vortan::ShapeWrapper(S(radius, r.f32()));
  };
  std::optional<vortan::ShapeWrapper> shape;
  switch (type) {
    case vortan::ShapeType::Sphere:
      shape.emplace(vortan::Sphere(r.f32()));
      break;
    case vortan::ShapeType::Capsule:
      shape = radius_and_half_length(std::type_identity<vortan::Capsule>());
      break;
    case vortan::ShapeType::Cone:
      shape = radius_and_half_length(std::type_identity<vortan::Cone>());
      break;
    case vortan::ShapeType::Cylinder:
      shape = radius_and_half_length(std::type_identity<vortan::Cylinder>());
      break;
    case vortan::ShapeType::Cuboid: {
      std::array<float, 3> half_extents;
      for (float& x : half_extents) x = r.f32();
      shape.emplace(vortan::Cuboid(half_extents));
      break;
    }
    case vortan::ShapeType::Mesh: {
      std::string path = r.string();
      std::array<float, 3> scale{1.0f, 1.0f, 1.0f};
      if (r.version() >= 2) {
        for (float& x : scale) x = r.f32();
      }
      shape.emplace(vortan::Mesh(std::move(path), scale));
      break;
    }
  }
  if (!r.ok()) return std::nullopt;
  return shape;
}

void BinaryForm<vortan::ShapeWrapper>::write(BinaryWriter& w, const vortan::ShapeWrapper& value) {
  w.string(vortan::to_string(value->get_shape_type()));
  write_shape_fields(w, value.get());
}

std::optional<vortan::ShapeWrapper> BinaryForm<vortan::ShapeWrapper>::read(BinaryReader& r) {
  const std::string name = r.string();
  for (vortan::ShapeType type : shape_types) {
    if (name == vortan::to_string(type)) return read_shape_fields(r, type);
  }
  r.fail("unknown shape type '" + name + "'");
  return std::nullopt;
}

void BinaryForm<GeometryObject>::write(BinaryWriter& w, const GeometryObject& value) {
  w.string(value.name);
  w.u64(value.parent_joint);
  w.u64(value.parent_frame);
  BinaryForm<vortan::ShapeWrapper>::write(w, value.geometry);
  w.u8(value.disable_collision ? 1 : 0);
  for (double x : value.mesh_color) w.f64(x);
  w.se3(value.placement);
}

std::optional<GeometryObject> BinaryForm<GeometryObject>::read(BinaryReader& r) {
  std::string name = r.string();
  const std::size_t parent_joint = r.u64();
  const std::size_t parent_frame = r.u64();
  std::optional<vortan::ShapeWrapper> geometry = BinaryForm<vortan::ShapeWrapper>::read(r);
  const std::uint8_t disable_collision = r.u8();
  if (disable_collision > 1) r.fail("a flag that is neither 0 nor 1");
  Color mesh_color;
  for (double& x : mesh_color) x = r.f64();
  const SE3 placement = r.se3();
  if (!r.ok()) return std::nullopt;
  return GeometryObject{std::move(name),        parent_joint, parent_frame, std::move(*geometry),
                        disable_collision == 1, mesh_color,   placement};
}

void BinaryForm<GeometryModel>::write(BinaryWriter& w, const GeometryModel& value) {
  w.u64(value.objects.size());
  for (const GeometryObject& object : value.objects) BinaryForm<GeometryObject>::write(w, object);
  w.u64(value.collision_pairs.size());
  for (const auto& [i, j] : value.collision_pairs) {
    w.u64(i);
    w.u64(j);
  }
  w.u8(value.convex_hulls ? 1 : 0);
  w.u64(value.joint_parents.size());
  for (std::size_t parent : value.joint_parents) w.u64(parent);
  w.u64(value.links.size());
  for (const auto& [name, frame] : value.links) {
    w.string(name);
    w.u64(frame);
  }
}

std::optional<GeometryModel> BinaryForm<GeometryModel>::read(BinaryReader& r) {
  GeometryModel model;
  const std::size_t count = r.count(1);
  for (std::size_t i = 0; i < count && r.ok(); ++i) {
    std::optional<GeometryObject> object = BinaryForm<GeometryObject>::read(r);
    if (object) model.add_geometry_object(std::move(*object));
  }
  if (r.version() < 2 || !r.ok()) return r.ok() ? std::optional(std::move(model)) : std::nullopt;
  const std::size_t pairs = r.count(16);
  for (std::size_t k = 0; k < pairs && r.ok(); ++k) {
    const std::size_t i = r.u64(), j = r.u64();
    if (!(i < j && j < model.objects.size())) r.fail("a collision pair that names no two objects");
    model.collision_pairs.emplace_back(i, j);
  }
  const std::uint8_t hulls = r.u8();
  if (hulls > 1) r.fail("a flag that is neither 0 nor 1");
  model.convex_hulls = hulls == 1;
  model.joint_parents.resize(r.count(8));
  for (std::size_t& parent : model.joint_parents) parent = r.u64();
  const std::size_t links = r.count(9);
  for (std::size_t k = 0; k < links && r.ok(); ++k) {
    std::string name = r.string();
    model.links.emplace_back(std::move(name), r.u64());
  }
  if (!r.ok()) return std::nullopt;
  return model;
}

}  // namespace kinetra
