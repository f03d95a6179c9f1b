// libFuzzer entry: one URDF description per input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "exercise_urdf.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  kinetra::exercise_urdf(std::string_view(reinterpret_cast<const char*>(bytes), size));
  return 0;
}
