#pragma once

#include <expected>
#include <string_view>

#include <pugixml.hpp>

#include "kinetra/urdf/parse_error.hpp"

namespace kinetra {

// Parses `text`, which must be valid UTF-8, into `document`. Refuses characters XML does not
// allow, malformed XML and any document type declaration (so no entity is ever defined or
// expanded beyond the predefined ones); each refusal is an XmlError naming line and column.
std::expected<void, ParseError> load_xml_document(std::string_view text,
                                                  pugi::xml_document& document);

}  // namespace kinetra
