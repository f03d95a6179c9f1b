#include "kinetra/spatial/exponential_maps.hpp"

#include <array>
#include <cmath>

#include "kinetra/spatial/quaternion.hpp"
#include "kinetra/spatial/rotation.hpp"

namespace kinetra {

namespace {

// f_n(a) = sum_k (-1)^k a^2k / (2k + n)!, so f_1 = sin a / a, f_2 = (1 - cos a) / a^2 and
// f_n+2 = (1 / n! - f_n) / a^2: by the series below a = 1, where the closed forms cancel
struct TurnCoefficients {
  double f2, f3, f4, f5;

  explicit TurnCoefficients(double a) {
    const double a2 = a * a;
    if (a < 1.0) {
      f2 = series(2, a2);
      f3 = series(3, a2);
      f4 = series(4, a2);
      f5 = series(5, a2);
      return;
    }
    const double f1 = std::sin(a) / a;
    f2 = (1.0 - std::cos(a)) / a2;
    f3 = (1.0 - f1) / a2;
    f4 = (0.5 - f2) / a2;
    f5 = (1.0 / 6.0 - f3) / a2;
  }

 private:
  // twelve terms: the next one is below 2^-53 of the first for a < 1
  static double series(int n, double a2) {
    double sum = 0.0;
    for (int k = 11; k >= 0; --k) sum = 1.0 / factorial(2 * k + n) - a2 * sum;
    return sum;
  }
  static double factorial(int n) {
    double out = 1.0;
    for (int i = 2; i <= n; ++i) out *= i;
    return out;
  }
};

// Jl(w) = I + f2 [w]x + f3 [w]x^2 (the left Jacobian; Jr(w) = Jl(-w))
SpatialRotation left_jacobian(const Vector3D& w) {
  const TurnCoefficients f(w.norm());
  const SpatialRotation k = skew(w);
  return SpatialRotation::Identity() + f.f2 * k + f.f3 * k * k;
}

// the lower-left block of Jr(w; v): d(translation) / d(angular part), in body axes
SpatialRotation right_jacobian_coupling(const Vector3D& w, const Vector3D& v) {
  const TurnCoefficients f(w.norm());
  const SpatialRotation W = skew(w), V = skew(v);
  const SpatialRotation WV = W * V, VW = V * W, WW = W * W;
  const SpatialRotation WVW = WV * W;
  return -0.5 * V + f.f3 * (WV + VW - WVW) + f.f4 * (3.0 * WVW - WW * V - V * WW) +
         0.5 * (f.f4 - 3.0 * f.f5) * (WVW * W + W * WVW);
}

}  // namespace

SpatialRotation exp3(const Vector3D& w) { return quaternion_exp(w).toRotationMatrix(); }

Vector3D log3(const SpatialRotation& r) { return quaternion_log(Quaternion(r)); }

SpatialRotation jexp3(const Vector3D& w) { return left_jacobian(w).transpose(); }

SpatialRotation jlog3(const SpatialRotation& r) { return inverse_right_jacobian(log3(r)); }

SE3 exp6(const SpatialMotion& twist) {
  const Vector3D w = twist.head<3>();
  return {exp3(w), left_jacobian(w) * twist.tail<3>()};
}

SpatialMotion log6(const SE3& m) {
  const Vector3D w = log3(m.rotation);
  // Jl^-1(w) = Jr^-1(-w)
  return motion_from_parts(w, inverse_right_jacobian(-w) * m.translation);
}

SpatialTransform jexp6(const SpatialMotion& twist) {
  const Vector3D w = twist.head<3>();
  const SpatialRotation jr = jexp3(w);
  SpatialTransform out = SpatialTransform::Zero();
  out.topLeftCorner<3, 3>() = jr;
  out.bottomRightCorner<3, 3>() = jr;
  out.bottomLeftCorner<3, 3>() = right_jacobian_coupling(w, twist.tail<3>());
  return out;
}

SpatialTransform jlog6(const SE3& m) {
  const SpatialMotion twist = log6(m);
  const Vector3D w = twist.head<3>();
  // [[A, 0], [C, A]]^-1 = [[A^-1, 0], [-A^-1 C A^-1, A^-1]]
  const SpatialRotation inverse = inverse_right_jacobian(w);
  SpatialTransform out = SpatialTransform::Zero();
  out.topLeftCorner<3, 3>() = inverse;
  out.bottomRightCorner<3, 3>() = inverse;
  out.bottomLeftCorner<3, 3>() = -inverse * right_jacobian_coupling(w, twist.tail<3>()) * inverse;
  return out;
}

SE3 interpolate(const SE3& m0, const SE3& m1, double t) {
  return m0 * exp6(t * log6(m0.inverse() * m1));
}

}  // namespace kinetra
