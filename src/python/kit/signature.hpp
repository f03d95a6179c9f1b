#pragma once

#include <algorithm>
#include <array>
#include <cstddef>

namespace kinetra::python {

// A string usable as a template argument: fastcall<"rnea", "(model, data, q, v, a)", &fn>.
template <std::size_t N>
struct FixedString {
  char text[N];
  constexpr FixedString(const char (&s)[N]) { std::copy_n(s, N, text); }
  constexpr const char* c_str() const { return text; }
};

// Two strings joined at compile time: join<"Cone", ".radius">.
template <FixedString A, FixedString B>
inline constexpr auto join = [] {
  constexpr std::size_t a = sizeof(A.text) - 1;
  char text[a + sizeof(B.text)] = {};
  std::copy_n(A.text, a, text);
  std::copy_n(B.text, sizeof(B.text), text + a);
  return FixedString(text);
}();

// Calls visit(begin, name_end, has_default, keyword_only) for each parameter of the text
// signature "(a, b, c=None, *, d=1)" of `length` characters, in order; "$" entries ("$self")
// and the "*" that starts the keyword-only ones are not parameters.
template <class Visit>
constexpr void for_each_parameter(const char* text, std::size_t length, Visit visit) {
  std::size_t start = 1;                // past "("
  const std::size_t stop = length - 1;  // at ")"
  bool keyword_only = false;
  while (start < stop) {
    std::size_t end = start;
    while (end < stop && text[end] != ',') ++end;
    std::size_t begin = start;
    while (begin < end && text[begin] == ' ') ++begin;
    std::size_t name_end = begin;
    while (name_end < end && text[name_end] != '=') ++name_end;
    if (begin < end && text[begin] == '*') {
      keyword_only = true;
    } else if (begin < end && text[begin] != '$') {
      visit(begin, name_end, name_end < end, keyword_only);
    }
    start = end + 1;
  }
}

// The parameters of a text signature "($self, a, b, c=None)", read at compile time. Those with
// a default are optional and come last.
template <FixedString Text>
class TextSignature {
  static constexpr std::size_t length = sizeof(Text.text) - 1;

 public:
  static_assert(length >= 2 && Text.text[0] == '(' && Text.text[length - 1] == ')',
                "a text signature is written in parentheses");

  // true for "($self, ...)": the bound C++ function takes self first
  static constexpr bool method = Text.text[1] == '$';
  static constexpr std::size_t size = [] {
    std::size_t n = 0;
    for_each_parameter(Text.text, length, [&](std::size_t, std::size_t, bool, bool) { ++n; });
    return n;
  }();

  // The parameter names as null-terminated strings in one buffer.
  struct Names {
    char buffer[length + 1] = {};
    std::size_t offsets[size + 1] = {};  // one spare: arrays of size zero are not allowed
    std::size_t required = 0;
    bool defaults_last = true;
  };
  static constexpr Names names = [] {
    Names out;
    std::size_t i = 0, at = 0;
    bool seen_default = false;
    for_each_parameter(Text.text, length, [&](std::size_t begin, auto end, bool optional, bool) {
      out.offsets[i++] = at;
      for (std::size_t c = begin; c < end; ++c) out.buffer[at++] = Text.text[c];
      out.buffer[at++] = '\0';
      if (optional) {
        seen_default = true;
      } else if (seen_default) {
        out.defaults_last = false;
      } else {
        out.required = i;
      }
    });
    return out;
  }();
  static_assert(names.defaults_last, "parameters with a default come last");

  static constexpr std::size_t required = names.required;
  // the parameters before a "*", which may be given by position
  static constexpr std::size_t positional = [] {
    std::size_t n = 0;
    for_each_parameter(Text.text, length,
                       [&](std::size_t, std::size_t, bool, bool keyword) { n += keyword ? 0 : 1; });
    return n;
  }();

  // The Python parameters, then the bound C++ function's ("self" first for methods).
  static constexpr std::array<const char*, size> parameter_names = [] {
    std::array<const char*, size> out{};
    for (std::size_t i = 0; i < size; ++i) out[i] = names.buffer + names.offsets[i];
    return out;
  }();
  static constexpr std::array<const char*, size + method> argument_names = [] {
    std::array<const char*, size + method> out{};
    if constexpr (method) out[0] = "self";
    for (std::size_t i = 0; i < size; ++i) out[i + method] = parameter_names[i];
    return out;
  }();
};

}  // namespace kinetra::python
