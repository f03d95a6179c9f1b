#include "kinetra/urdf/xml_document.hpp"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <expected>
#include <iterator>
#include <optional>
#include <string>
#include <utility>

#include "kinetra/spatial/utf8.hpp"

namespace kinetra {

namespace {

std::unexpected<ParseError> xml_error(std::string_view text, std::string message,
                                      std::size_t offset) {
  return std::unexpected(
      ParseError::of(ParseError::Kind::XmlError, message + " at " + text_position(text, offset)));
}

// Control characters other than tab, line feed and carriage return are not XML characters.
std::optional<std::size_t> find_control_character(std::string_view text) {
  constexpr std::uint32_t allowed = (1u << '\t') | (1u << '\n') | (1u << '\r');
  constexpr std::uint64_t high_bits = 0x8080808080808080u;
  std::size_t pos = 0;
  // eight bytes at a time: the high bit of each byte below 0x20 (line ends are common)
  if constexpr (std::endian::native == std::endian::little) {
    for (; pos + 8 <= text.size(); pos += 8) {
      std::uint64_t word;
      std::memcpy(&word, text.data() + pos, 8);
      for (std::uint64_t below = ~((word | high_bits) - 0x2020202020202020u) & ~word & high_bits;
           below != 0; below &= below - 1) {
        const std::size_t at = pos + static_cast<std::size_t>(std::countr_zero(below)) / 8;
        if (!(allowed >> static_cast<unsigned char>(text[at]) & 1u)) return at;
      }
    }
  }
  for (; pos < text.size(); ++pos) {
    const auto c = static_cast<unsigned char>(text[pos]);
    if (c < 0x20 && !(allowed >> c & 1u)) return pos;
  }
  return std::nullopt;
}

// The characters XML allows (the same rule the raw text passes through, plus surrogates and code
// points beyond Unicode, which valid UTF-8 cannot hold).
bool is_xml_character(std::uint32_t c) {
  if (c < 0x20) return c == '\t' || c == '\n' || c == '\r';
  return (c < 0xD800 || c > 0xDFFF) && c <= 0x10FFFF;
}

struct BadReference {
  std::size_t offset;
  const char* message;
};

// Checks the reference starting with the '&' at `pos`: a character reference must name an XML
// character, an entity one of the five predefined ones. Returns the offset after it.
std::expected<std::size_t, BadReference> check_reference(std::string_view text, std::size_t pos) {
  const std::size_t end = text.find(';', pos);
  if (end == std::string_view::npos) return std::unexpected(BadReference{pos, "undefined entity"});
  const std::string_view body = text.substr(pos + 1, end - pos - 1);
  if (body.starts_with('#')) {
    const bool hex = body.starts_with("#x");
    const std::string_view digits = body.substr(hex ? 2 : 1);
    std::uint32_t code = 0;
    bool valid = !digits.empty();
    for (const char c : digits) {
      const int digit = c >= '0' && c <= '9'          ? c - '0'
                        : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                      : -1;
      if (digit < 0) {
        valid = false;
        break;
      }
      // saturates above the largest code point
      code = std::min<std::uint32_t>(code * (hex ? 16u : 10u) + static_cast<std::uint32_t>(digit),
                                     0x110000u);
    }
    if (!valid || !is_xml_character(code)) {
      return std::unexpected(BadReference{pos, "invalid character reference"});
    }
    return end + 1;
  }
  if (body == "lt" || body == "gt" || body == "amp" || body == "apos" || body == "quot") {
    return end + 1;
  }
  return std::unexpected(BadReference{pos, "undefined entity"});
}

// The first reference in markup or text of a well-formed document that does not stand for XML
// text. Comments, CDATA sections and processing instructions hold no references.
std::optional<BadReference> find_bad_reference(std::string_view text) {
  constexpr std::pair<std::string_view, std::string_view> literal_sections[] = {
      {"<!--", "-->"}, {"<![CDATA[", "]]>"}, {"<?", "?>"}};
  for (std::size_t pos = text.find_first_of("<&"); pos < text.size();
       pos = text.find_first_of("<&", pos)) {
    if (text[pos] == '&') {
      const auto next = check_reference(text, pos);
      if (!next) return next.error();
      pos = *next;
      continue;
    }
    const std::string_view rest = text.substr(pos);
    const auto section = std::ranges::find_if(literal_sections, [&](const auto& open_close) {
      return rest.starts_with(open_close.first);
    });
    if (section != std::end(literal_sections)) {
      const std::size_t close = text.find(section->second, pos + section->first.size());
      if (close == std::string_view::npos) return std::nullopt;
      pos = close + section->second.size();
      continue;
    }
    // a tag: references only inside its quoted attribute values
    for (++pos; pos < text.size() && text[pos] != '>'; ++pos) {
      if (text[pos] != '"' && text[pos] != '\'') continue;
      const char quote = text[pos];
      const std::string_view stops = quote == '"' ? "\"&" : "'&";
      for (pos = text.find_first_of(stops, pos + 1); pos < text.size() && text[pos] == '&';
           pos = text.find_first_of(stops, pos)) {
        const auto next = check_reference(text, pos);
        if (!next) return next.error();
        pos = *next;
      }
      if (pos >= text.size()) return std::nullopt;
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
  // without an ampersand there is no reference to check: one fast scan instead of a walk
  if (const auto bad =
          text.find('&') == std::string_view::npos ? std::nullopt : find_bad_reference(text)) {
    return xml_error(text, bad->message, bad->offset);
  }
  return {};
}

}  // namespace kinetra
