// libFuzzer entry: one pickle payload per input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "exercise_payload.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  kinetra::exercise_payload(std::string_view(reinterpret_cast<const char*>(bytes), size));
  return 0;
}
