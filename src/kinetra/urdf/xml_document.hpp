#pragma once

#include <expected>
#include <string_view>

#include <pugixml.hpp>

#include "kinetra/export.hpp"
#include "kinetra/urdf/parse_error.hpp"

namespace kinetra {

// Parses `text`, which must be valid UTF-8, into `document`. Refuses characters XML does not
// allow, written raw or as character references, malformed XML, any document type declaration
// and references to entities other than the predefined ones (so no entity is ever defined or
// expanded); each refusal is an XmlError naming line and column.
KINETRA_API std::expected<void, ParseError> load_xml_document(std::string_view text,
                                                              pugi::xml_document& document);

}  // namespace kinetra
