#include "kinetra/urdf/xml_element.hpp"

namespace kinetra {

namespace {

void append_escaped(std::string& out, std::string_view text) {
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
}

}  // namespace

std::string_view local_name(const pugi::xml_node& element) {
  // names are short: one pass finds both the end and the last colon
  const char* name = element.name();
  std::size_t start = 0, end = 0;
  for (; name[end] != '\0'; ++end) {
    if (name[end] == ':') start = end + 1;
  }
  return std::string_view(name + start, end - start);
}

pugi::xml_node first_child(const pugi::xml_node& element, std::string_view name) {
  for (const pugi::xml_node child : element.children()) {
    if (child.type() == pugi::node_element && local_name(child) == name) return child;
  }
  return {};
}

std::optional<std::string_view> attribute(const pugi::xml_node& element, const char* name) {
  const pugi::xml_attribute found = element.attribute(name);
  if (!found) return std::nullopt;
  return std::string_view(found.value());
}

std::string describe_element(const pugi::xml_node& element) {
  std::string out = "<";
  out += element.name();
  for (const pugi::xml_attribute attr : element.attributes()) {
    out += ' ';
    out += attr.name();
    out += "=\"";
    append_escaped(out, attr.value());
    out += '"';
  }
  out += '>';
  return out;
}

}  // namespace kinetra
