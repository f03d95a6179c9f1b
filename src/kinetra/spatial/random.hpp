#pragma once

#include <random>

#include "kinetra/export.hpp"

namespace kinetra {

// The generator behind every random draw; one per thread, seeded from the OS entropy source.
using Rng = std::mt19937_64;
KINETRA_API Rng& thread_rng();

// A uniform double in [0, 1) made from 52 random bits.
inline double uniform01(Rng& rng) { return static_cast<double>(rng() >> 12) * 0x1p-52; }

}  // namespace kinetra
