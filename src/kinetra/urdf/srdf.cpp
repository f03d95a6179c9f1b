#include "kinetra/urdf/srdf.hpp"

#include <pugixml.hpp>

namespace kinetra {

std::expected<std::vector<std::pair<std::string, std::string>>, std::string>
read_disabled_collisions(const std::string& path) {
  pugi::xml_document document;
  const pugi::xml_parse_result parsed = document.load_file(path.c_str());
  if (!parsed) {
    return std::unexpected("cannot read SRDF file '" + path + "': " + parsed.description());
  }
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const pugi::xml_node entry : document.document_element().children("disable_collisions")) {
    const pugi::xml_attribute first = entry.attribute("link1"), second = entry.attribute("link2");
    if (!first || !second) {
      return std::unexpected("SRDF file '" + path +
                             "': a disable_collisions entry without link1 and link2");
    }
    pairs.emplace_back(first.value(), second.value());
  }
  return pairs;
}

}  // namespace kinetra
