#include "vortan/collision/distance.hpp"

#include <gtest/gtest.h>

#include <Eigen/Geometry>
#include <filesystem>
#include <fstream>
#include <random>

#include "vortan/capsule.hpp"
#include "vortan/cone.hpp"
#include "vortan/cuboid.hpp"
#include "vortan/cylinder.hpp"
#include "vortan/mesh.hpp"
#include "vortan/sphere.hpp"

namespace vortan {
namespace {

std::shared_ptr<const CollisionGeometry> prepared(const Shape& shape, bool hull = false) {
  auto g = make_collision_geometry(shape, hull);
  EXPECT_TRUE(g.has_value()) << (g ? "" : g.error().message);
  return *g;
}

Placement random_placement(std::mt19937& rng, double spread) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  Eigen::Quaterniond q(u(rng), u(rng), u(rng), u(rng));
  q.normalize();
  return {q.toRotationMatrix(), spread * Eigen::Vector3d(u(rng), u(rng), u(rng))};
}

// Signed distance of a world point to a placed sphere, capsule or cuboid.
double point_distance(const CollisionGeometry& g, const Placement& x, const Eigen::Vector3d& p) {
  const Eigen::Vector3d local = x.rotation.transpose() * (p - x.translation);
  if (g.type == ShapeType::Cuboid) {
    const Eigen::Vector3d q = local.cwiseAbs() - g.half_extents;
    return q.cwiseMax(0.0).norm() + std::min(q.maxCoeff(), 0.0);
  }
  Eigen::Vector3d axis_point(0.0, 0.0, std::clamp(local.z(), -g.half_length, g.half_length));
  return (local - axis_point).norm() - g.radius;
}

// Distance of segments, by dense search over one parameter and the exact clamp of the other.
double segment_distance(const Eigen::Vector3d& a0, const Eigen::Vector3d& a1,
                        const Eigen::Vector3d& b0, const Eigen::Vector3d& b1) {
  double best = 1e300;
  const Eigen::Vector3d d = b1 - b0;
  auto at = [&](double s) {
    const Eigen::Vector3d p = a0 + s * (a1 - a0);
    const double t = std::clamp((p - b0).dot(d) / d.squaredNorm(), 0.0, 1.0);
    return (p - b0 - t * d).norm();
  };
  // golden-section search on the convex function s -> distance
  double lo = 0.0, hi = 1.0;
  for (int k = 0; k < 200; ++k) {
    const double m1 = lo + (hi - lo) / 3.0, m2 = hi - (hi - lo) / 3.0;
    (at(m1) < at(m2) ? hi : lo) = (at(m1) < at(m2) ? m2 : m1);
  }
  best = std::min({at(lo), at(0.0), at(1.0)});
  return best;
}

std::vector<Eigen::Vector3d> corners(const CollisionGeometry& g, const Placement& x) {
  std::vector<Eigen::Vector3d> out;
  for (int k = 0; k < 8; ++k) {
    const Eigen::Vector3d s((k & 1) ? 1 : -1, (k & 2) ? 1 : -1, (k & 4) ? 1 : -1);
    out.push_back(x.rotation * s.cwiseProduct(g.half_extents) + x.translation);
  }
  return out;
}

// Exact distance of two boxes: apart, the least of vertex-box and edge-edge distances;
// overlapping, minus the least overlap over the 15 separating axes.
double box_box_reference(const CollisionGeometry& a, const Placement& xa,
                         const CollisionGeometry& b, const Placement& xb) {
  std::vector<Eigen::Vector3d> axes;
  for (int i = 0; i < 3; ++i) {
    axes.push_back(xa.rotation.col(i));
    axes.push_back(xb.rotation.col(i));
    for (int j = 0; j < 3; ++j) {
      const Eigen::Vector3d c = xa.rotation.col(i).cross(xb.rotation.col(j));
      if (c.norm() > 1e-9) axes.push_back(c.normalized());
    }
  }
  const auto ca = corners(a, xa), cb = corners(b, xb);
  double least_overlap = 1e300;
  for (const auto& n : axes) {
    double lo_a = 1e300, hi_a = -1e300, lo_b = 1e300, hi_b = -1e300;
    for (const auto& p : ca) lo_a = std::min(lo_a, n.dot(p)), hi_a = std::max(hi_a, n.dot(p));
    for (const auto& p : cb) lo_b = std::min(lo_b, n.dot(p)), hi_b = std::max(hi_b, n.dot(p));
    least_overlap = std::min(least_overlap, std::min(hi_a - lo_b, hi_b - lo_a));
  }
  if (least_overlap > 0.0) return -least_overlap;
  double best = 1e300;
  for (const auto& p : ca) best = std::min(best, point_distance(b, xb, p));
  for (const auto& p : cb) best = std::min(best, point_distance(a, xa, p));
  for (int i = 0; i < 8; ++i) {
    for (int j = 0; j < 8; ++j) {
      if (std::popcount(unsigned(i ^ j)) != 1 || i > j) continue;
      for (int k = 0; k < 8; ++k) {
        for (int l = 0; l < 8; ++l) {
          if (std::popcount(unsigned(k ^ l)) != 1 || k > l) continue;
          best = std::min(best, segment_distance(ca[i], ca[j], cb[k], cb[l]));
        }
      }
    }
  }
  return best;
}

void expect_consistent(const DistanceResult& r, double tolerance) {
  EXPECT_NEAR(r.normal.norm(), 1.0, 1e-12);
  EXPECT_LT((r.point2 - r.point1 - r.distance * r.normal).norm(), tolerance);
}

struct PairCase {
  const char* name;
  std::function<std::unique_ptr<Shape>()> first, second;
};

std::ostream& operator<<(std::ostream& os, const PairCase& c) { return os << c.name; }

class ClosedForm : public ::testing::TestWithParam<PairCase> {};

// Apart, a closed form equals the general solver; overlapping, moving shape 2 by the depth along
// the normal leaves the shapes touching. Its points lie on the surfaces either way.
TEST_P(ClosedForm, AgreesWithSolverAndSeparatesAlongNormal) {
  const auto one = prepared(*GetParam().first()), two = prepared(*GetParam().second());
  const bool boxes = one->type == ShapeType::Cuboid && two->type == ShapeType::Cuboid;
  std::mt19937 rng(7);
  int overlapping = 0;
  for (int trial = 0; trial < 300; ++trial) {
    const Placement x1 = random_placement(rng, 0.3), x2 = random_placement(rng, 0.3);
    const auto r = distance(*one, x1, *two, x2);
    ASSERT_TRUE(r);
    expect_consistent(*r, 1e-9);
    if (!boxes) {
      EXPECT_NEAR(point_distance(*one, x1, r->point1), 0.0, 1e-9);
      EXPECT_NEAR(point_distance(*two, x2, r->point2), 0.0, 1e-9);
    }
    if (r->distance > 0.0) {
      EXPECT_NEAR(r->distance, solver_distance(*one, x1, *two, x2)->distance, 1e-8) << trial;
      continue;
    }
    ++overlapping;
    Placement moved = x2;
    moved.translation -= r->distance * r->normal;
    EXPECT_NEAR(distance(*one, x1, *two, moved)->distance, 0.0, 1e-9) << trial;
  }
  EXPECT_GT(overlapping, 30);
  EXPECT_LT(overlapping, 270);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, ClosedForm,
    ::testing::Values(
        PairCase{"sphere_sphere", [] { return std::make_unique<Sphere>(0.2f); },
                 [] { return std::make_unique<Sphere>(0.15f); }},
        PairCase{"sphere_capsule", [] { return std::make_unique<Sphere>(0.2f); },
                 [] { return std::make_unique<Capsule>(0.1f, 0.2f); }},
        PairCase{"capsule_capsule", [] { return std::make_unique<Capsule>(0.1f, 0.25f); },
                 [] { return std::make_unique<Capsule>(0.05f, 0.3f); }},
        PairCase{"sphere_cuboid", [] { return std::make_unique<Sphere>(0.2f); },
                 [] { return std::make_unique<Cuboid>(std::array{0.1f, 0.2f, 0.3f}); }},
        PairCase{"cuboid_sphere",
                 [] { return std::make_unique<Cuboid>(std::array{0.3f, 0.1f, 0.15f}); },
                 [] { return std::make_unique<Sphere>(0.1f); }},
        PairCase{"cuboid_cuboid",
                 [] { return std::make_unique<Cuboid>(std::array{0.1f, 0.2f, 0.3f}); },
                 [] { return std::make_unique<Cuboid>(std::array{0.25f, 0.1f, 0.05f}); }}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(CuboidPair, MatchesFeatureAndSeparatingAxisReference) {
  const auto one = prepared(Cuboid({0.1f, 0.2f, 0.3f})),
             two = prepared(Cuboid({0.25f, 0.1f, 0.05f}));
  std::mt19937 rng(3);
  double worst = 0.0;
  for (int trial = 0; trial < 200; ++trial) {
    const Placement x1 = random_placement(rng, 0.3), x2 = random_placement(rng, 0.3);
    const auto r = distance(*one, x1, *two, x2);
    ASSERT_TRUE(r);
    worst = std::max(worst, std::abs(r->distance - box_box_reference(*one, x1, *two, x2)));
    expect_consistent(*r, 1e-9);
  }
  EXPECT_LT(worst, 1e-9);
}

// A box of half extents (0.1, 0.2, 0.3) as an OBJ file of twelve triangles.
std::string box_file() {
  const auto path = std::filesystem::temp_directory_path() / "kinetra_distance_test_box.obj";
  std::ofstream out(path);
  for (int k = 0; k < 8; ++k) {
    out << "v " << ((k & 1) ? 0.1 : -0.1) << ' ' << ((k & 2) ? 0.2 : -0.2) << ' '
        << ((k & 4) ? 0.3 : -0.3) << '\n';
  }
  out << "f 1 3 4\nf 1 4 2\nf 5 6 8\nf 5 8 7\nf 1 2 6\nf 1 6 5\n"
         "f 3 7 8\nf 3 8 4\nf 1 5 7\nf 1 7 3\nf 2 4 8\nf 2 8 6\n";
  return path.string();
}

TEST(MeshShape, BoxFileMatchesCuboidExactlyAndAsHull) {
  const auto cuboid = prepared(Cuboid({0.1f, 0.2f, 0.3f}));
  const auto mesh = prepared(Mesh(box_file())), hull = prepared(Mesh(box_file()), true);
  const auto other = prepared(Cuboid({0.05f, 0.1f, 0.2f}));
  std::mt19937 rng(11);
  int apart = 0;
  for (int trial = 0; trial < 100; ++trial) {
    const Placement x1 = random_placement(rng, 0.6), x2 = random_placement(rng, 0.6);
    const double expected = distance(*other, x1, *cuboid, x2)->distance;
    if (expected <= 0.0) continue;
    ++apart;
    EXPECT_NEAR(distance(*other, x1, *mesh, x2)->distance, expected, 1e-9);
    EXPECT_NEAR(distance(*other, x1, *hull, x2)->distance, expected, 1e-9);
  }
  EXPECT_GT(apart, 20);
}

TEST(MeshShape, ScaleStretchesTheFile) {
  const auto stretched = prepared(Mesh(box_file(), {2.0f, 1.0f, 0.5f}));
  const auto ball = prepared(Sphere(0.1f));
  Placement x1, x2;
  x2.translation = {1.0, 0.0, 0.0};  // faces at x = 0.2 and the ball reaching to 0.9
  EXPECT_NEAR(distance(*stretched, x1, *ball, x2)->distance, 0.7, 1e-7);  // file in floats
  x2.translation = {0.0, 0.0, 1.0};
  EXPECT_NEAR(distance(*stretched, x1, *ball, x2)->distance, 0.75, 1e-7);
}

TEST(MeshShape, UnreadableOrEmptyFilesAreNamed) {
  const auto missing = make_collision_geometry(Mesh("/no/such/mesh.stl"), false);
  ASSERT_FALSE(missing);
  EXPECT_NE(missing.error().message.find("'/no/such/mesh.stl'"), std::string::npos);
  const auto path = std::filesystem::temp_directory_path() / "kinetra_distance_test_empty.obj";
  std::ofstream(path) << "# nothing\n";
  const auto empty = make_collision_geometry(Mesh(path.string()), true);
  ASSERT_FALSE(empty);
  EXPECT_NE(empty.error().message.find(path.string()), std::string::npos);
}

TEST(Sizes, NonPositiveRefused) {
  EXPECT_EQ(make_collision_geometry(Sphere(-0.1f), false).error().message,
            "a sphere of radius -0.1 (sizes must be positive)");
  EXPECT_FALSE(make_collision_geometry(Cuboid({0.1f, 0.0f, 0.1f}), false));
  EXPECT_FALSE(make_collision_geometry(Cylinder(0.1f, -1.0f), false));
  EXPECT_TRUE(make_collision_geometry(Capsule(0.1f, 0.0f), false));
}

// Distance of a small ball to round shapes against the least distance to their densely
// sampled surfaces: lateral surface of radius r(z) and the caps.
class RoundSurface : public ::testing::TestWithParam<ShapeType> {};

TEST_P(RoundSurface, MatchesSampledSurface) {
  const bool cone = GetParam() == ShapeType::Cone;
  const double r = 0.1, h = 0.2;
  const auto round = cone ? prepared(Cone(0.1f, 0.2f)) : prepared(Cylinder(0.1f, 0.2f));
  std::vector<Eigen::Vector3d> surface;
  const int n = 400;
  for (int i = 0; i <= n; ++i) {
    const double z = -h + 2.0 * h * i / n;
    const double radius = cone ? r * (h - z) / (2.0 * h) : r;
    for (int k = 0; k < n; ++k) {
      const double a = 2.0 * M_PI * k / n;
      surface.emplace_back(radius * std::cos(a), radius * std::sin(a), z);
      // caps: the base, and the top of a cylinder
      const double disc = r * i / n;
      surface.emplace_back(disc * std::cos(a), disc * std::sin(a), -h);
      if (!cone) surface.emplace_back(disc * std::cos(a), disc * std::sin(a), h);
    }
  }
  const auto ball = prepared(Sphere(0.05f));
  std::mt19937 rng(5);
  for (int trial = 0; trial < 20; ++trial) {
    Placement x1, x2 = random_placement(rng, 0.4);
    const auto result = distance(*round, x1, *ball, x2);
    if (result->distance <= 0.0) continue;
    double least = 1e300;
    for (const auto& p : surface) least = std::min(least, (p - x2.translation).norm());
    EXPECT_NEAR(result->distance, least - 0.05, 2e-3) << trial;
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, RoundSurface,
                         ::testing::Values(ShapeType::Cylinder, ShapeType::Cone));

// Apart, swapping the shapes swaps the points and flips the normal, and moving both by one
// rigid motion moves the points with them; overlapping (depth exact only for the closed forms),
// both orders and the moved pair overlap. Every kind against every kind.
TEST(Distance, SymmetricAndRigidlyInvariant) {
  std::vector<std::shared_ptr<const CollisionGeometry>> shapes = {
      prepared(Sphere(0.1f)),
      prepared(Capsule(0.05f, 0.1f)),
      prepared(Cuboid({0.1f, 0.05f, 0.08f})),
      prepared(Cylinder(0.06f, 0.1f)),
      prepared(Cone(0.08f, 0.1f)),
      prepared(Mesh(box_file()), true),
      prepared(Mesh(box_file()))};
  std::mt19937 rng(9);
  for (const auto& a : shapes) {
    for (const auto& b : shapes) {
      const std::string what = std::string(to_string(a->type)) + "-" + to_string(b->type);
      for (int trial = 0; trial < 10; ++trial) {
        const Placement x1 = random_placement(rng, 0.25), x2 = random_placement(rng, 0.25);
        const Placement motion = random_placement(rng, 1.0);
        const auto move = [&](const Placement& x) {
          return Placement{motion.rotation * x.rotation,
                           motion.rotation * x.translation + motion.translation};
        };
        const auto r = distance(*a, x1, *b, x2), s = distance(*b, x2, *a, x1);
        const auto m = distance(*a, move(x1), *b, move(x2));
        ASSERT_TRUE(r && s && m);
        if (r->distance < -1e-6) {
          EXPECT_LT(s->distance, 0.0) << what;
          EXPECT_LT(m->distance, 0.0) << what;
        }
        if (r->distance < 1e-6) continue;
        EXPECT_NEAR(r->distance, s->distance, 1e-6) << what;
        EXPECT_NEAR(r->distance, m->distance, 1e-6) << what;
        EXPECT_LT((r->normal + s->normal).norm(), 1e-3) << what;
        EXPECT_LT((motion.rotation * r->normal - m->normal).norm(), 1e-3) << what;
        EXPECT_LT((r->point1 - s->point2).norm(), 1e-3) << what;
        EXPECT_LT((motion.rotation * r->point1 + motion.translation - m->point1).norm(), 1e-3)
            << what;
      }
    }
  }
}

}  // namespace
}  // namespace vortan
