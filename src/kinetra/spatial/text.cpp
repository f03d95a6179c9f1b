#include "kinetra/spatial/text.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace kinetra {

namespace {

std::string non_finite(double x) {
  if (std::isnan(x)) return "NaN";
  return x > 0 ? "inf" : "-inf";
}

std::string chars(double x, std::chars_format format) {
  char buf[512];
  auto result = std::to_chars(buf, buf + sizeof buf, x, format);
  return std::string(buf, result.ptr);
}

// Shortest round-trip digits in scientific form: mantissa ("-1.5") and exponent (16).
std::pair<std::string, int> shortest_scientific(double x) {
  const std::string s = chars(x, std::chars_format::scientific);
  const auto e = s.find('e');
  return {s.substr(0, e), std::stoi(s.substr(e + 1))};
}

}  // namespace

std::string display_number(double x) {
  if (!std::isfinite(x)) return non_finite(x);
  if (std::abs(x) >= 1e16) {
    // pad the shortest digits with zeros; fixed notation would print the exact integer
    // ("99999999999999991611392" for 1e23)
    const auto [mantissa, exponent] = shortest_scientific(x);
    std::string digits;
    for (char c : mantissa) {
      if (c != '.') digits += c;
    }
    const std::size_t significant = digits.size() - (x < 0 ? 1 : 0);
    return digits + std::string(static_cast<std::size_t>(exponent) + 1 - significant, '0');
  }
  return chars(x, std::chars_format::fixed);
}

std::string debug_number(double x) {
  if (!std::isfinite(x)) return non_finite(x);
  const double magnitude = std::abs(x);
  if (x != 0.0 && (magnitude < 1e-4 || magnitude >= 1e16)) {
    // "1.5e16", "1e-5"
    const auto [mantissa, exponent] = shortest_scientific(x);
    return mantissa + "e" + std::to_string(exponent);
  }
  std::string s = chars(x, std::chars_format::fixed);
  if (s.find('.') == std::string::npos) s += ".0";
  return s;
}

std::string fixed_number(double x, int digits) {
  if (!std::isfinite(x)) return non_finite(x);
  char buf[512];
  auto result = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, digits);
  return std::string(buf, result.ptr);
}

DebugValue DebugValue::atom(std::string text) {
  DebugValue v;
  v.text_ = std::move(text);
  return v;
}

DebugValue DebugValue::string(std::string_view text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\0':
        out += "\\0";
        break;
      default:
        if (c < 0x20 || c == 0x7f) {
          char buf[16];
          std::snprintf(buf, sizeof buf, "\\u{%x}", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
  return atom(std::move(out));
}

DebugValue DebugValue::tuple(std::string name, std::vector<DebugValue> fields) {
  DebugValue v;
  v.kind_ = Kind::Tuple;
  v.text_ = std::move(name);
  for (auto& f : fields) v.items_.emplace_back(std::string(), std::move(f));
  return v;
}

DebugValue DebugValue::record(std::string name,
                              std::vector<std::pair<std::string, DebugValue>> fields) {
  DebugValue v;
  v.kind_ = Kind::Record;
  v.text_ = std::move(name);
  v.items_ = std::move(fields);
  return v;
}

DebugValue DebugValue::list(std::vector<DebugValue> items) {
  DebugValue v;
  v.kind_ = Kind::List;
  for (auto& item : items) v.items_.emplace_back(std::string(), std::move(item));
  return v;
}

std::string DebugValue::compact() const {
  std::string out;
  write(out, false, 0);
  return out;
}

std::string DebugValue::pretty() const {
  std::string out;
  write(out, true, 0);
  return out;
}

void DebugValue::write(std::string& out, bool pretty, int indent) const {
  if (kind_ == Kind::Atom) {
    out += text_;
    return;
  }
  if (kind_ != Kind::List && items_.empty()) {
    out += text_;
    return;
  }
  const char* open = kind_ == Kind::Tuple ? "(" : kind_ == Kind::Record ? " {" : "[";
  const char* close = kind_ == Kind::Tuple ? ")" : kind_ == Kind::Record ? "}" : "]";
  out += text_;
  out += open;
  if (items_.empty()) {
    out += close;
    return;
  }
  const std::string inner(static_cast<std::size_t>(indent + 4), ' ');
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const auto& [name, value] = items_[i];
    if (pretty) {
      out += '\n';
      out += inner;
    } else if (i > 0) {
      out += ", ";
    } else if (kind_ == Kind::Record) {
      out += ' ';
    }
    if (kind_ == Kind::Record) out += name + ": ";
    value.write(out, pretty, indent + 4);
    if (pretty) out += ',';
  }
  if (pretty) {
    out += '\n';
    out += std::string(static_cast<std::size_t>(indent), ' ');
  } else if (kind_ == Kind::Record) {
    out += ' ';
  }
  out += close;
}

}  // namespace kinetra
