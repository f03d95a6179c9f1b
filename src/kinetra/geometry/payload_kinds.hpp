#pragma once

// Every kind of value a payload may hold, for the readers that take any of them.
#include <string_view>
#include <type_traits>

#include "kinetra/geometry/serialization.hpp"
#include "kinetra/model/serialization.hpp"

namespace kinetra {

template <class... T>
struct PayloadKinds {
  // Calls f(std::type_identity<T>{}) for the T whose kind is `kind`; false when none is.
  template <class F>
  static bool visit(std::string_view kind, F&& f) {
    return ((kind == BinaryForm<T>::kind && (f(std::type_identity<T>{}), true)) || ...);
  }
};

using AnyPayload =
    PayloadKinds<Model, Frame, JointModel, Inertia, SE3, Symmetric3, Vector3D, Vector6D,
                 Configuration, GeometryModel, GeometryObject, vortan::ShapeWrapper,
                 vortan::Capsule, vortan::Cone, vortan::Cuboid, vortan::Cylinder, vortan::Sphere,
                 vortan::Mesh>;

}  // namespace kinetra
