#pragma once

#include <array>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "scratch_file.hpp"
#include "vortan/collision/distance.hpp"
#include "vortan/mesh.hpp"
#include "vortan/sphere.hpp"

namespace kinetra {

// One mesh file: the first byte picks the format (STL or OBJ), the rest is the file. What the
// importer accepts becomes a triangle mesh and a convex hull, each measured against a ball.
// Anything may fail with an error value; nothing may crash, hang or answer NaN. COLLADA is left
// out: its importer sizes arrays from counts written in the file, so a short file can ask for
// gigabytes before anything of ours sees it.
inline void exercise_mesh(std::string_view bytes) {
  if (bytes.empty()) return;
  constexpr std::array<std::string_view, 2> extensions{".stl", ".obj"};
  const auto format = static_cast<unsigned char>(bytes[0]) % extensions.size();
  const auto path = scratch_file(bytes.substr(1), extensions[format]);
  const auto ball = vortan::make_collision_geometry(vortan::Sphere(0.1f), false);
  if (!ball) std::abort();
  vortan::Placement away;
  away.translation = {0.5, -0.25, 2.0};
  for (const bool hull : {false, true}) {
    const auto mesh = vortan::make_collision_geometry(vortan::Mesh(path), hull);
    if (!mesh) continue;
    if (!(*mesh)->local_box_center.allFinite() || !(*mesh)->local_box_half_sizes.allFinite()) {
      std::abort();
    }
    const auto d = vortan::distance(**mesh, {}, **ball, away);
    if (d && !std::isfinite(d->distance)) std::abort();
    (void)vortan::in_collision(**mesh, {}, **ball, away);
  }
}

}  // namespace kinetra
