// libFuzzer entry: one semantic description file per input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "exercise_srdf.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  kinetra::exercise_srdf(std::string_view(reinterpret_cast<const char*>(bytes), size));
  return 0;
}
