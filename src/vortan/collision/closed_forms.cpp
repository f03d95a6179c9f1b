#include "vortan/collision/closed_forms.hpp"

#include <Eigen/Geometry>
#include <algorithm>
#include <cmath>
#include <limits>

namespace vortan {
namespace {

// A segment swept by a ball: a sphere (a == b) or a capsule.
struct SweptBall {
  Eigen::Vector3d a, b;
  double radius;
};

SweptBall swept_ball(const CollisionGeometry& shape, const Placement& placement) {
  const Eigen::Vector3d half_axis = placement.rotation.col(2) * shape.half_length;
  return {placement.translation - half_axis, placement.translation + half_axis, shape.radius};
}

// Any unit vector perpendicular to `d` (z when d vanishes).
Eigen::Vector3d perpendicular(const Eigen::Vector3d& d) {
  if (d.squaredNorm() < 1e-24) return Eigen::Vector3d::UnitZ();
  const Eigen::Vector3d other =
      std::abs(d.x()) < 0.9 ? Eigen::Vector3d::UnitX() : Eigen::Vector3d::UnitY();
  return d.cross(other).normalized();
}

// Two balls; `fallback` is the normal when their centres coincide.
DistanceResult balls(const Eigen::Vector3d& c1, double r1, const Eigen::Vector3d& c2, double r2,
                     const Eigen::Vector3d& fallback) {
  const Eigen::Vector3d between = c2 - c1;
  const double length = between.norm();
  DistanceResult result;
  result.normal = length > 1e-12 ? Eigen::Vector3d(between / length) : fallback;
  result.distance = length - r1 - r2;
  result.point1 = c1 + r1 * result.normal;
  result.point2 = c2 - r2 * result.normal;
  return result;
}

// Closest points of segments [p1, q1] and [p2, q2] (Ericson, Real-Time Collision Detection 5.1.9).
std::pair<Eigen::Vector3d, Eigen::Vector3d> closest_points(const Eigen::Vector3d& p1,
                                                           const Eigen::Vector3d& q1,
                                                           const Eigen::Vector3d& p2,
                                                           const Eigen::Vector3d& q2) {
  constexpr double tiny = 1e-24;
  const Eigen::Vector3d d1 = q1 - p1, d2 = q2 - p2, r = p1 - p2;
  const double a = d1.squaredNorm(), e = d2.squaredNorm(), f = d2.dot(r);
  double s = 0.0, t = 0.0;
  if (a <= tiny && e > tiny) {
    t = std::clamp(f / e, 0.0, 1.0);
  } else if (a > tiny) {
    const double c = d1.dot(r);
    if (e <= tiny) {
      s = std::clamp(-c / a, 0.0, 1.0);
    } else {
      const double b = d1.dot(d2), denominator = a * e - b * b;
      s = denominator > tiny * a * e ? std::clamp((b * f - c * e) / denominator, 0.0, 1.0) : 0.0;
      t = (b * s + f) / e;
      if (t < 0.0) {
        t = 0.0;
        s = std::clamp(-c / a, 0.0, 1.0);
      } else if (t > 1.0) {
        t = 1.0;
        s = std::clamp((b - c) / a, 0.0, 1.0);
      }
    }
  }
  return {p1 + d1 * s, p2 + d2 * t};
}

DistanceResult swept_balls(const SweptBall& one, const SweptBall& two) {
  const auto [c1, c2] = closest_points(one.a, one.b, two.a, two.b);
  const Eigen::Vector3d axes = (one.b - one.a).cross(two.b - two.a);
  const Eigen::Vector3d fallback = axes.squaredNorm() > 1e-24
                                       ? Eigen::Vector3d(axes.normalized())
                                       : perpendicular(one.b - one.a + (two.b - two.a));
  return balls(c1, one.radius, c2, two.radius, fallback);
}

// A ball of radius r at `centre` (world) and a cuboid.
DistanceResult ball_cuboid(const Eigen::Vector3d& centre, double r, const CollisionGeometry& box,
                           const Placement& placement) {
  const Eigen::Vector3d& h = box.half_extents;
  const Eigen::Vector3d local = placement.rotation.transpose() * (centre - placement.translation);
  const Eigen::Vector3d clamped = local.cwiseMax(-h).cwiseMin(h);
  if (clamped != local) {
    const Eigen::Vector3d surface = placement.rotation * clamped + placement.translation;
    return balls(centre, r, surface, 0.0, Eigen::Vector3d::UnitZ());
  }
  // inside: out through the nearest face
  Eigen::Index k = 0;
  (h - local.cwiseAbs()).minCoeff(&k);
  const double side = local[k] >= 0.0 ? 1.0 : -1.0;
  const double depth = h[k] - std::abs(local[k]);
  Eigen::Vector3d face_point = local;
  face_point[k] = side * h[k];
  DistanceResult result;
  result.normal = -side * placement.rotation.col(k);
  result.distance = -(depth + r);
  result.point1 = centre + r * result.normal;
  result.point2 = placement.rotation * face_point + placement.translation;
  return result;
}

// Overlapping cuboids: the least overlap over the 15 separating axes is the depth; the deepest
// points come from the vertex (face axis) or the pair of edges (edge axis) that realise it.
// Nothing when some axis separates them.
std::optional<DistanceResult> cuboid_overlap(const CollisionGeometry& a, const Placement& xa,
                                             const CollisionGeometry& b, const Placement& xb) {
  const Eigen::Matrix3d& ra = xa.rotation;
  const Eigen::Matrix3d& rb = xb.rotation;
  const Eigen::Vector3d between = xb.translation - xa.translation;
  double depth = std::numeric_limits<double>::infinity();
  Eigen::Vector3d normal = Eigen::Vector3d::UnitZ();
  int best = -1;  // 0-2 faces of a, 3-5 faces of b, 6 + 3 i + j edges a_i x b_j
  const auto test = [&](const Eigen::Vector3d& axis, int index) {
    const double ha = a.half_extents.dot((ra.transpose() * axis).cwiseAbs());
    const double hb = b.half_extents.dot((rb.transpose() * axis).cwiseAbs());
    const double s = axis.dot(between);
    const double overlap = ha + hb - std::abs(s);
    // edges must win clearly over faces, whose points are better defined
    if (overlap < depth - (index >= 6 ? 1e-12 : 0.0)) {
      depth = overlap;
      normal = s >= 0.0 ? axis : Eigen::Vector3d(-axis);
      best = index;
    }
    return overlap >= 0.0;
  };
  for (int k = 0; k < 3; ++k) {
    if (!test(ra.col(k), k) || !test(rb.col(k), 3 + k)) return std::nullopt;
  }
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      const Eigen::Vector3d axis = ra.col(i).cross(rb.col(j));
      if (axis.norm() < 1e-9) continue;
      if (!test(axis.normalized(), 6 + 3 * i + j)) return std::nullopt;
    }
  }
  // a's farthest point along `direction`, with axis k of a left at 0 (k = -1: none)
  const auto support = [](const CollisionGeometry& g, const Placement& x,
                          const Eigen::Vector3d& direction, int skipped) {
    Eigen::Vector3d point = x.translation;
    for (int k = 0; k < 3; ++k) {
      if (k == skipped) continue;
      const double side = direction.dot(x.rotation.col(k)) >= 0.0 ? 1.0 : -1.0;
      point += side * g.half_extents[k] * x.rotation.col(k);
    }
    return point;
  };
  DistanceResult result;
  result.distance = -depth;
  result.normal = normal;
  if (best < 3) {
    result.point2 = support(b, xb, -normal, -1);
    result.point1 = result.point2 + depth * normal;
  } else if (best < 6) {
    result.point1 = support(a, xa, normal, -1);
    result.point2 = result.point1 - depth * normal;
  } else {
    const int i = (best - 6) / 3, j = (best - 6) % 3;
    const Eigen::Vector3d ea = support(a, xa, normal, i), eb = support(b, xb, -normal, j);
    const Eigen::Vector3d da = a.half_extents[i] * ra.col(i), db = b.half_extents[j] * rb.col(j);
    result.point1 = closest_points(ea - da, ea + da, eb - db, eb + db).first;
    result.point2 = result.point1 - depth * normal;
  }
  return result;
}

DistanceResult swapped(DistanceResult result) {
  std::swap(result.point1, result.point2);
  result.normal = -result.normal;
  return result;
}

bool is_swept_ball(ShapeType type) {
  return type == ShapeType::Sphere || type == ShapeType::Capsule;
}

}  // namespace

std::optional<DistanceResult> closed_form_distance(const CollisionGeometry& shape1,
                                                   const Placement& placement1,
                                                   const CollisionGeometry& shape2,
                                                   const Placement& placement2) {
  if (is_swept_ball(shape1.type) && is_swept_ball(shape2.type)) {
    return swept_balls(swept_ball(shape1, placement1), swept_ball(shape2, placement2));
  }
  if (shape1.type == ShapeType::Sphere && shape2.type == ShapeType::Cuboid) {
    return ball_cuboid(placement1.translation, shape1.radius, shape2, placement2);
  }
  if (shape1.type == ShapeType::Cuboid && shape2.type == ShapeType::Sphere) {
    return swapped(ball_cuboid(placement2.translation, shape2.radius, shape1, placement1));
  }
  if (shape1.type == ShapeType::Cuboid && shape2.type == ShapeType::Cuboid) {
    return cuboid_overlap(shape1, placement1, shape2, placement2);
  }
  return std::nullopt;
}

}  // namespace vortan
