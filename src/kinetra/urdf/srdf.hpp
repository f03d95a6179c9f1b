#pragma once

#include <expected>
#include <string>
#include <utility>
#include <vector>

namespace kinetra {

// The link pairs of the <disable_collisions link1="a" link2="b"/> entries of a semantic robot
// description file, in file order. Fails with a message naming the file when it cannot be read
// or is not XML, or when an entry lacks a link.
std::expected<std::vector<std::pair<std::string, std::string>>, std::string>
read_disabled_collisions(const std::string& path);

}  // namespace kinetra
