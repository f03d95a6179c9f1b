#include "kinetra/urdf/attributes.hpp"

#include "kinetra/urdf/number_text.hpp"

namespace kinetra {

namespace {

std::unexpected<ParseError> missing(const char* name) {
  return std::unexpected(ParseError::of(ParseError::Kind::MissingParameter, name));
}

std::unexpected<ParseError> invalid(const char* name) {
  return std::unexpected(ParseError::of(ParseError::Kind::InvalidParameter, name));
}

bool parse(std::string_view text, double& value) { return parse_double(text, value); }
bool parse(std::string_view text, float& value) { return parse_float(text, value); }

template <class T>
std::expected<T, ParseError> read_number(AttributeText text, const char* name) {
  if (!text) return missing(name);
  T value;
  if (!parse(*text, value)) return invalid(name);
  return value;
}

template <class T, std::size_t N>
std::expected<std::array<T, N>, ParseError> read_list(AttributeText text, const char* name) {
  if (!text) return missing(name);
  std::array<T, N> values;
  std::size_t count = 0;
  for (const std::string_view piece : WhitespaceSplit(*text)) {
    if (count == N || !parse(piece, values[count])) return invalid(name);
    ++count;
  }
  if (count != N) return invalid(name);
  return values;
}

}  // namespace

std::expected<double, ParseError> read_double(AttributeText text, const char* name) {
  return read_number<double>(text, name);
}

std::expected<float, ParseError> read_float(AttributeText text, const char* name) {
  return read_number<float>(text, name);
}

std::expected<std::string_view, ParseError> read_text(AttributeText text, const char* name) {
  if (!text) return missing(name);
  return *text;
}

std::expected<Vector3D, ParseError> read_vector3(AttributeText text, const char* name) {
  const auto values = read_list<double, 3>(text, name);
  if (!values) return std::unexpected(values.error());
  return Vector3D((*values)[0], (*values)[1], (*values)[2]);
}

std::expected<std::array<float, 3>, ParseError> read_float3(AttributeText text, const char* name) {
  return read_list<float, 3>(text, name);
}

std::expected<Color, ParseError> read_color(AttributeText text, const char* name) {
  return read_list<double, 4>(text, name);
}

}  // namespace kinetra
