#include "kinetra/urdf/attributes.hpp"

#include "kinetra/urdf/number_text.hpp"
#include "kinetra/urdf/xml_element.hpp"

namespace kinetra {

namespace {

std::unexpected<ParseError> missing(const char* name) {
  return std::unexpected(ParseError::of(ParseError::Kind::MissingParameter, name));
}

std::unexpected<ParseError> invalid(const char* name) {
  return std::unexpected(ParseError::of(ParseError::Kind::InvalidParameter, name));
}

std::optional<double> parse(std::string_view text, double) { return parse_double(text); }
std::optional<float> parse(std::string_view text, float) { return parse_float(text); }

template <class T>
std::expected<T, ParseError> extract_number(const pugi::xml_node& element, const char* name) {
  const auto text = attribute(element, name);
  if (!text) return missing(name);
  const auto value = parse(*text, T{});
  if (!value) return invalid(name);
  return *value;
}

template <class T, std::size_t N>
std::expected<std::array<T, N>, ParseError> extract_list(const pugi::xml_node& element,
                                                         const char* name) {
  const auto text = attribute(element, name);
  if (!text) return missing(name);
  std::array<T, N> values;
  std::size_t count = 0;
  for (const std::string_view piece : WhitespaceSplit(*text)) {
    const auto value = count < N ? parse(piece, T{}) : std::nullopt;
    if (!value) return invalid(name);
    values[count++] = *value;
  }
  if (count != N) return invalid(name);
  return values;
}

}  // namespace

std::expected<double, ParseError> extract_double(const pugi::xml_node& element, const char* name) {
  return extract_number<double>(element, name);
}

std::expected<float, ParseError> extract_float(const pugi::xml_node& element, const char* name) {
  return extract_number<float>(element, name);
}

std::expected<std::string_view, ParseError> extract_text(const pugi::xml_node& element,
                                                         const char* name) {
  const auto text = attribute(element, name);
  if (!text) return missing(name);
  return *text;
}

std::expected<Vector3D, ParseError> extract_vector3(const pugi::xml_node& element,
                                                    const char* name) {
  const auto values = extract_list<double, 3>(element, name);
  if (!values) return std::unexpected(values.error());
  return Vector3D((*values)[0], (*values)[1], (*values)[2]);
}

std::expected<std::array<float, 3>, ParseError> extract_float3(const pugi::xml_node& element,
                                                               const char* name) {
  return extract_list<float, 3>(element, name);
}

std::expected<Color, ParseError> extract_color(const pugi::xml_node& element, const char* name) {
  return extract_list<double, 4>(element, name);
}

}  // namespace kinetra
