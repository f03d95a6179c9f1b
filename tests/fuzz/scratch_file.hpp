#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace kinetra {

// `bytes` written to a file of this process in the temporary folder; readers that take a path
// get each input this way. The file is overwritten by the next input of the same extension.
inline std::string scratch_file(std::string_view bytes, std::string_view extension) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("kinetra_fuzz_" + std::to_string(::getpid()) + std::string(extension));
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path.string();
}

}  // namespace kinetra
