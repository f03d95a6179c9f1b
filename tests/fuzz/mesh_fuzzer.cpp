// libFuzzer entry: one mesh file per input, its format picked by the first byte.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "exercise_mesh.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  kinetra::exercise_mesh(std::string_view(reinterpret_cast<const char*>(bytes), size));
  return 0;
}
