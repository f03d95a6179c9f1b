#pragma once

#include <cstdlib>
#include <string_view>

#include "exercise_urdf.hpp"
#include "kinetra/geometry/payload_kinds.hpp"

namespace kinetra {

// Decodes a payload of any kind as the pickle reader does. A value it accepts must encode to a
// payload that decodes to the same bytes again, and a model must survive the algorithms;
// anything else fails with an error value, without crashing, reading out of bounds or overflowing.
inline void exercise_payload(std::string_view bytes) {
  auto reader = BinaryReader::open(bytes);
  if (!reader) return;
  AnyPayload::visit(reader->kind(), [&]<class T>(std::type_identity<T>) {
    const auto value = from_bytes<T>(bytes);
    if (!value) return;
    const std::string encoded = to_bytes(*value);
    const auto again = from_bytes<T>(encoded);
    if (!again || to_bytes(*again) != encoded) std::abort();
    if constexpr (std::is_same_v<T, Model>) exercise_model(*value);
  });
}

}  // namespace kinetra
