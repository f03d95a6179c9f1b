#pragma once

#include <string_view>

#include "kinetra/urdf/srdf.hpp"
#include "scratch_file.hpp"

namespace kinetra {

// Reads one semantic description file: a list of link pairs or an error value, nothing else.
inline void exercise_srdf(std::string_view bytes) {
  (void)read_disabled_collisions(scratch_file(bytes, ".srdf"));
}

}  // namespace kinetra
