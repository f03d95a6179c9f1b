#include "kinetra/urdf/xml_document.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "kinetra/urdf/utf8.hpp"

namespace kinetra {

namespace {

std::unexpected<ParseError> xml_error(std::string_view text, std::string message,
                                      std::size_t offset) {
  return std::unexpected(
      ParseError::of(ParseError::Kind::XmlError, message + " at " + text_position(text, offset)));
}

// Control characters other than tab, line feed and carriage return are not XML characters.
std::optional<std::size_t> find_control_character(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    // eight bytes at a time while none is below 0x20
    if (std::uint64_t word; pos + 8 <= text.size()) {
      std::memcpy(&word, text.data() + pos, 8);
      if (((word - 0x2020202020202020u) & ~word & 0x8080808080808080u) == 0) {
        pos += 8;
        continue;
      }
    }
    for (const std::size_t end = std::min(pos + 8, text.size()); pos < end; ++pos) {
      const auto c = static_cast<unsigned char>(text[pos]);
      if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return pos;
    }
  }
  return std::nullopt;
}

}  // namespace

std::expected<void, ParseError> load_xml_document(std::string_view text,
                                                  pugi::xml_document& document) {
  if (const auto pos = find_control_character(text)) {
    return xml_error(text, "invalid character", *pos);
  }
  // parse_doctype keeps declarations as nodes so that they can be refused below
  const pugi::xml_parse_result result = document.load_buffer(
      text.data(), text.size(), pugi::parse_default | pugi::parse_doctype, pugi::encoding_utf8);
  if (!result) {
    return xml_error(text, result.description(), static_cast<std::size_t>(result.offset));
  }
  for (const pugi::xml_node node : document.children()) {
    if (node.type() == pugi::node_doctype) {
      const auto value_offset = static_cast<std::size_t>(node.offset_debug());
      const std::size_t start = text.rfind("<!", value_offset);
      return xml_error(text, "document type declarations are not allowed",
                       start == std::string_view::npos ? value_offset : start);
    }
  }
  return {};
}

}  // namespace kinetra
