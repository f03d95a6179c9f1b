#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "kinetra/export.hpp"

namespace kinetra {

// Byte length of the Unicode white-space character starting at `pos`, or 0 if there is none.
KINETRA_API std::size_t whitespace_length(std::string_view text, std::size_t pos);

// `text` without leading and trailing Unicode white space.
KINETRA_API std::string_view trim_whitespace(std::string_view text);

// The pieces of `text` between runs of Unicode white space (no empty pieces), as a range:
// for (std::string_view piece : WhitespaceSplit(text)).
class KINETRA_API WhitespaceSplit {
 public:
  explicit WhitespaceSplit(std::string_view text) : text_(text) {}

  class iterator {
   public:
    iterator(std::string_view text, std::size_t pos) : text_(text) { advance(pos); }
    std::string_view operator*() const { return text_.substr(start_, end_ - start_); }
    iterator& operator++() {
      advance(end_);
      return *this;
    }
    bool operator==(const iterator& other) const { return start_ == other.start_; }

   private:
    // finds the piece starting at or after `pos`
    void advance(std::size_t pos);
    std::string_view text_;
    std::size_t start_ = 0, end_ = 0;
  };

  iterator begin() const { return {text_, 0}; }
  iterator end() const { return {text_, text_.size()}; }

 private:
  std::string_view text_;
};

// A whole decimal number: optional sign, digits with an optional point (not both sides empty),
// optional exponent, or the words inf, infinity and nan in any letter case. White space around
// the number is ignored. Values beyond the type's range become infinite or zero.
KINETRA_API std::optional<double> parse_double(std::string_view text);
// The same, rounded once, directly to 32 bits.
KINETRA_API std::optional<float> parse_float(std::string_view text);

// Both into `value`, false when `text` is not a number: cheaper in loops, where an optional is
// returned through a stack slot read back at another width, which stalls.
KINETRA_API bool parse_double(std::string_view text, double& value);
KINETRA_API bool parse_float(std::string_view text, float& value);

}  // namespace kinetra
