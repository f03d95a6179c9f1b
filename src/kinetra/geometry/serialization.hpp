#pragma once

// The binary forms of shapes, geometry objects and geometry models.
#include "kinetra/export.hpp"
#include "kinetra/geometry/geometry_model.hpp"
#include "kinetra/geometry/geometry_object.hpp"
#include "kinetra/spatial/binary_format.hpp"
#include "vortan/capsule.hpp"
#include "vortan/cone.hpp"
#include "vortan/cuboid.hpp"
#include "vortan/cylinder.hpp"
#include "vortan/mesh.hpp"
#include "vortan/shape_wrapper.hpp"
#include "vortan/sphere.hpp"

namespace kinetra {

// A shape's own fields (lengths in single precision, a mesh's path), without its type.
KINETRA_API void write_shape_fields(BinaryWriter& w, const vortan::Shape& shape);
KINETRA_API std::optional<vortan::ShapeWrapper> read_shape_fields(BinaryReader& r,
                                                                  vortan::ShapeType type);

// the type of each concrete shape class; Mesh here, the others below
template <class S>
inline constexpr vortan::ShapeType shape_type_of = vortan::ShapeType::Mesh;
template <>
inline constexpr vortan::ShapeType shape_type_of<vortan::Capsule> = vortan::ShapeType::Capsule;
template <>
inline constexpr vortan::ShapeType shape_type_of<vortan::Cone> = vortan::ShapeType::Cone;
template <>
inline constexpr vortan::ShapeType shape_type_of<vortan::Cuboid> = vortan::ShapeType::Cuboid;
template <>
inline constexpr vortan::ShapeType shape_type_of<vortan::Cylinder> = vortan::ShapeType::Cylinder;
template <>
inline constexpr vortan::ShapeType shape_type_of<vortan::Sphere> = vortan::ShapeType::Sphere;

// One concrete shape: its fields under the kind of its type ("Sphere").
template <class S>
requires std::derived_from<S, vortan::Shape>
struct BinaryForm<S> {
  static inline const char* const kind = vortan::to_string(shape_type_of<S>);
  static void write(BinaryWriter& w, const S& value) { write_shape_fields(w, value); }
  static std::optional<S> read(BinaryReader& r) {
    std::optional<vortan::ShapeWrapper> shape = read_shape_fields(r, shape_type_of<S>);
    if (!shape) return std::nullopt;
    return static_cast<const S&>(shape->get());
  }
};

// Any shape: its type's name, then its fields.
template <>
struct KINETRA_API BinaryForm<vortan::ShapeWrapper> {
  static constexpr const char* kind = "Shape";
  static void write(BinaryWriter& w, const vortan::ShapeWrapper& value);
  static std::optional<vortan::ShapeWrapper> read(BinaryReader& r);
};

template <>
struct KINETRA_API BinaryForm<GeometryObject> {
  static constexpr const char* kind = "GeometryObject";
  static void write(BinaryWriter& w, const GeometryObject& value);
  static std::optional<GeometryObject> read(BinaryReader& r);
};

template <>
struct KINETRA_API BinaryForm<GeometryModel> {
  static constexpr const char* kind = "GeometryModel";
  static void write(BinaryWriter& w, const GeometryModel& value);
  static std::optional<GeometryModel> read(BinaryReader& r);
};

}  // namespace kinetra
