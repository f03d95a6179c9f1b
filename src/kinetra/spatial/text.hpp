#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "kinetra/export.hpp"

namespace kinetra {

// Shortest text that reads back to x, never in exponent notation ("1", "-0", "0.0000001").
KINETRA_API std::string display_number(double x);
// Shortest text that reads back to x with a fractional digit, exponent form below 1e-4 and
// from 1e16 on ("1.0", "0.25", "1e-5", "1.5e16").
KINETRA_API std::string debug_number(double x);
// Exactly `digits` digits after the point, correctly rounded ("0.6667").
KINETRA_API std::string fixed_number(double x, int digits);

// A value in structured debug form, printed compactly on one line or in the pretty
// multi-line layout (four spaces per nesting level, a comma after every item).
class KINETRA_API DebugValue {
 public:
  static DebugValue atom(std::string text);
  static DebugValue number(double x) { return atom(debug_number(x)); }
  static DebugValue integer(std::size_t n) { return atom(std::to_string(n)); }
  static DebugValue boolean(bool b) { return atom(b ? "true" : "false"); }
  // a quoted, escaped string
  static DebugValue string(std::string_view text);
  static DebugValue tuple(std::string name, std::vector<DebugValue> fields);
  static DebugValue record(std::string name,
                           std::vector<std::pair<std::string, DebugValue>> fields);
  static DebugValue list(std::vector<DebugValue> items);

  std::string compact() const;
  std::string pretty() const;

 private:
  enum class Kind { Atom, Tuple, Record, List };
  void write(std::string& out, bool pretty, int indent) const;

  Kind kind_ = Kind::Atom;
  std::string text_;  // atom text or tuple/record name
  std::vector<std::pair<std::string, DebugValue>> items_;
};

}  // namespace kinetra
