#pragma once

#include <Eigen/Core>
#include <Eigen/LU>
#include <cstddef>
#include <utility>

#include "kinetra/joint/continuous.hpp"
#include "kinetra/model/kernel_spatial.hpp"
#include "kinetra/spatial/cos_and_sin.hpp"
#include "kinetra/spatial/quaternion.hpp"

namespace kinetra::batch {

// N doubles in one vector register (GCC's vector extension)
template <int N>
struct LaneVector;
template <>
struct LaneVector<2> {
  using type [[gnu::vector_size(16)]] = double;
};
template <>
struct LaneVector<4> {
  using type [[gnu::vector_size(32)]] = double;
};

// N doubles, one per state, that compute together: the scalar with which the kernels evaluate N
// states per instruction (structure of arrays across the lanes). Plain IEEE arithmetic lane by
// lane; the functions the kernels call on values (cosine and sine, unit directions, quaternion
// rotations, inverses needing pivots) are below.
template <int N>
struct Lanes {
  using Vector = typename LaneVector<N>::type;
  // aligned to its size even where the code around does not use registers that wide
  alignas(sizeof(Vector)) Vector lanes;

  Lanes() = default;
  // every lane x
  Lanes(double x) : lanes(Vector{} + x) {}  // NOLINT(google-explicit-constructor)
  explicit Lanes(const Vector& x) : lanes(x) {}

  double operator[](int l) const { return lanes[l]; }
  void set(int l, double x) { lanes[l] = x; }

  Lanes& operator+=(const Lanes& b) { return lanes += b.lanes, *this; }
  Lanes& operator-=(const Lanes& b) { return lanes -= b.lanes, *this; }
  friend Lanes operator+(const Lanes& a, const Lanes& b) { return Lanes(a.lanes + b.lanes); }
  friend Lanes operator-(const Lanes& a, const Lanes& b) { return Lanes(a.lanes - b.lanes); }
  friend Lanes operator*(const Lanes& a, const Lanes& b) { return Lanes(a.lanes * b.lanes); }
  friend Lanes operator/(const Lanes& a, const Lanes& b) { return Lanes(a.lanes / b.lanes); }
  friend Lanes operator-(const Lanes& a) { return Lanes(-a.lanes); }
};

// The kernels' scalar hooks (found by argument-dependent lookup), each lane as the single-state
// sweep computes it: cosine and sine by the same polynomial in every lane, the rest lane by lane
// through the double forms.
template <int N>
std::pair<Lanes<N>, Lanes<N>> cos_sin(const Lanes<N>& angle) {
  std::pair<Lanes<N>, Lanes<N>> out;
  bool reducible = true;
  for (int l = 0; l < N; ++l) reducible = reducible && std::fabs(angle[l]) < cos_and_sin_limit;
  if (!reducible) {
    for (int l = 0; l < N; ++l) {
      const auto [c, s] = cos_and_sin(angle[l]);
      out.first.set(l, c);
      out.second.set(l, s);
    }
    return out;
  }
  const auto [c, s, n] = reduced_cos_and_sin(angle);
  // quadrant n mod 4 of 0, 1, 2, 3: (c, s), (-s, c), (-c, -s), (s, -c)
  using Quadrant [[gnu::vector_size(sizeof(typename Lanes<N>::Vector))]] = long long;
  const Quadrant quadrant = __builtin_convertvector(n.lanes, Quadrant);
  const Quadrant odd = (quadrant & 1) != 0, opposite = (quadrant & 2) != 0;
  const auto turned_cos = odd ? -s.lanes : c.lanes, turned_sin = odd ? c.lanes : s.lanes;
  out.first = Lanes<N>(opposite ? -turned_cos : turned_cos);
  out.second = Lanes<N>(opposite ? -turned_sin : turned_sin);
  return out;
}

template <int N>
std::pair<Lanes<N>, Lanes<N>> unit_direction(const Lanes<N>& x, const Lanes<N>& y) {
  std::pair<Lanes<N>, Lanes<N>> out;
  for (int l = 0; l < N; ++l) {
    const auto [c, s] = ContinuousJoint::unit_direction(x[l], y[l]);
    out.first.set(l, c);
    out.second.set(l, s);
  }
  return out;
}

template <int N>
kernel::Mat3<Lanes<N>> quaternion_rotation(const Lanes<N>* q) {
  kernel::Mat3<Lanes<N>> out;
  for (int l = 0; l < N; ++l) {
    const double lane[4] = {q[0][l], q[1][l], q[2][l], q[3][l]};
    const SpatialRotation r = read_quaternion(lane).toRotationMatrix();
    for (int k = 0; k < 9; ++k) out(k).set(l, r(k));
  }
  return out;
}

}  // namespace kinetra::batch

namespace Eigen {

template <int N>
struct NumTraits<kinetra::batch::Lanes<N>> : GenericNumTraits<double> {
  using Real = kinetra::batch::Lanes<N>;
  using NonInteger = Real;
  using Literal = Real;
  using Nested = Real;
  enum { ReadCost = N, AddCost = N, MulCost = N, RequireInitialization = 0 };
};

namespace internal {

// Inverses that need pivots (six dofs), lane by lane in double.
template <int N, class Result>
struct compute_inverse<Matrix<kinetra::batch::Lanes<N>, 6, 6>, Result, 6> {
  static void run(const Matrix<kinetra::batch::Lanes<N>, 6, 6>& matrix, Result& result) {
    for (int l = 0; l < N; ++l) {
      Matrix<double, 6, 6> lane;
      for (Index k = 0; k < 36; ++k) lane(k) = matrix(k)[l];
      const Matrix<double, 6, 6> inverse = lane.inverse();
      for (Index k = 0; k < 36; ++k) result(k).set(l, inverse(k));
    }
  }
};

}  // namespace internal
}  // namespace Eigen
