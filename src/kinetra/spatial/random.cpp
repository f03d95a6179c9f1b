#include "kinetra/spatial/random.hpp"

namespace kinetra {

Rng& thread_rng() {
  thread_local Rng rng = [] {
    std::random_device device;
    std::seed_seq seed{device(), device(), device(), device(),
                       device(), device(), device(), device()};
    return Rng(seed);
  }();
  return rng;
}

}  // namespace kinetra
