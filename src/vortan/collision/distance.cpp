#include "vortan/collision/distance.hpp"

#include <fcl/narrowphase/collision.h>
#include <fcl/narrowphase/distance.h>
#include <exception>

#include "vortan/collision/closed_forms.hpp"

namespace vortan {
namespace {

fcl::Transform3d transform(const Placement& placement) {
  fcl::Transform3d x = fcl::Transform3d::Identity();
  x.linear() = placement.rotation;
  x.translation() = placement.translation;
  return x;
}

bool is_triangle_mesh(const CollisionGeometry& shape) {
  return shape.type == ShapeType::Mesh && !shape.convex_hull;
}

constexpr fcl::GJKSolverType kDistanceSolver = fcl::GST_LIBCCD;

CollisionError solver_error(const std::exception& e) {
  return CollisionError{std::string("the distance solver failed: ") + e.what()};
}

}  // namespace

// Apart: the distance and nearest points. Overlapping: the deepest of the contacts, points
// half its depth either side of the contact point. The contacts' depth times normal points from
// shape 1 to shape 2 whatever their sign convention (which differs between pairs of kinds).
// Overlap is found by the intersection test, never by the signed distance solver, whose
// expanding polytope aborts on some overlapping curved shapes.
std::expected<DistanceResult, CollisionError> solver_distance(const CollisionGeometry& shape1,
                                                              const Placement& placement1,
                                                              const CollisionGeometry& shape2,
                                                              const Placement& placement2) {
  const fcl::Transform3d x1 = transform(placement1), x2 = transform(placement2);
  DistanceResult result;
  try {
    fcl::CollisionRequestd request_contacts(64, true);
    request_contacts.gjk_solver_type = fcl::GST_LIBCCD;
    fcl::CollisionResultd contacts;
    fcl::collide(shape1.solid.get(), x1, shape2.solid.get(), x2, request_contacts, contacts);
    const fcl::Contactd* deepest = nullptr;
    for (std::size_t k = 0; k < contacts.numContacts(); ++k) {
      const fcl::Contactd& c = contacts.getContact(k);
      if (!deepest || std::abs(c.penetration_depth) > std::abs(deepest->penetration_depth)) {
        deepest = &c;
      }
    }
    if (contacts.isCollision()) {
      const Eigen::Vector3d push =
          deepest ? Eigen::Vector3d(deepest->penetration_depth * deepest->normal)
                  : Eigen::Vector3d::Zero();
      const double depth = push.norm();
      result.distance = -depth;
      if (depth > 0.0) result.normal = push / depth;
      const Eigen::Vector3d at = deepest ? deepest->pos : x1.translation();
      result.point1 = at + 0.5 * depth * result.normal;
      result.point2 = at - 0.5 * depth * result.normal;
      return result;
    }
    fcl::DistanceRequestd request(true, false, 0.0, 0.0, 1e-12, kDistanceSolver);
    fcl::DistanceResultd answer;
    fcl::distance(shape1.solid.get(), x1, shape2.solid.get(), x2, request, answer);
    result.distance = std::max(answer.min_distance, 0.0);
    result.point1 = answer.nearest_points[0];
    result.point2 = answer.nearest_points[1];
    // with a triangle mesh in the pair, the mesh's point comes first, and each point in the frame
    // of its own shape for some kinds of the other shape, in the world for others: the frames
    // are those that put the points the distance apart
    const bool mesh1 = is_triangle_mesh(shape1), mesh2 = is_triangle_mesh(shape2);
    if (mesh1 || mesh2) {
      if (mesh2 && !mesh1) std::swap(result.point1, result.point2);
      const Eigen::Vector3d local1 = x1 * result.point1, local2 = x2 * result.point2;
      if (std::abs((local2 - local1).norm() - result.distance) <
          std::abs((result.point2 - result.point1).norm() - result.distance)) {
        result.point1 = local1;
        result.point2 = local2;
      }
    }
    const Eigen::Vector3d between = result.point2 - result.point1;
    if (between.norm() > 1e-12) result.normal = between.normalized();
  } catch (const std::exception& e) {
    return std::unexpected(solver_error(e));
  }
  return result;
}

std::expected<DistanceResult, CollisionError> distance(const CollisionGeometry& shape1,
                                                       const Placement& placement1,
                                                       const CollisionGeometry& shape2,
                                                       const Placement& placement2) {
  if (auto exact = closed_form_distance(shape1, placement1, shape2, placement2)) return *exact;
  return solver_distance(shape1, placement1, shape2, placement2);
}

std::expected<bool, CollisionError> in_collision(const CollisionGeometry& shape1,
                                                 const Placement& placement1,
                                                 const CollisionGeometry& shape2,
                                                 const Placement& placement2) {
  const auto exact = closed_form_distance(shape1, placement1, shape2, placement2);
  if (exact) return exact->distance < 0.0;
  // apart cuboids have no closed form: their separating axis was found
  if (shape1.type == ShapeType::Cuboid && shape2.type == ShapeType::Cuboid) return false;
  fcl::CollisionRequestd request;
  request.gjk_solver_type = fcl::GST_LIBCCD;
  fcl::CollisionResultd answer;
  try {
    fcl::collide(shape1.solid.get(), transform(placement1), shape2.solid.get(),
                 transform(placement2), request, answer);
  } catch (const std::exception& e) {
    return std::unexpected(solver_error(e));
  }
  return answer.isCollision();
}

WorldBox world_box(const CollisionGeometry& shape, const Placement& placement) {
  const Eigen::Vector3d centre =
      placement.rotation * shape.local_box_center + placement.translation;
  const Eigen::Vector3d half = placement.rotation.cwiseAbs() * shape.local_box_half_sizes;
  return {centre - half, centre + half};
}

}  // namespace vortan
