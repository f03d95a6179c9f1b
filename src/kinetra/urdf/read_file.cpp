#include "kinetra/urdf/read_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "kinetra/spatial/utf8.hpp"

namespace kinetra {

namespace {

// "No such file or directory (os error 2)"
std::string os_error_text(int code) {
  return std::system_category().message(code) + " (os error " + std::to_string(code) + ")";
}

// Closes the descriptor when reading ends, whichever way.
struct FileDescriptor {
  int fd;
  ~FileDescriptor() {
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

std::expected<std::string, ParseError> read_text_file(const std::string& path) {
  // the system would read the name only up to the NUL: another file
  if (path.find('\0') != std::string::npos) {
    return std::unexpected(ParseError::io_error(path, "file name contains a NUL byte"));
  }
  // non-blocking, so that opening a FIFO without a writer returns at once to be refused
  const FileDescriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
  if (file.fd < 0) return std::unexpected(ParseError::io_error(path, os_error_text(errno)));
  struct stat info;
  if (::fstat(file.fd, &info) != 0) {
    return std::unexpected(ParseError::io_error(path, os_error_text(errno)));
  }
  if (S_ISDIR(info.st_mode))
    return std::unexpected(ParseError::io_error(path, os_error_text(EISDIR)));
  // devices, FIFOs and sockets may never end (/dev/zero) or block
  if (!S_ISREG(info.st_mode)) {
    return std::unexpected(ParseError::io_error(path, "not a regular file"));
  }
  std::string text;
  // the size is a hint: the file may change while it is read
  if (info.st_size > 0) text.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[1 << 16];
  for (;;) {
    const ssize_t count = ::read(file.fd, buffer, sizeof buffer);
    if (count == 0) break;
    if (count < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(ParseError::io_error(path, os_error_text(errno)));
    }
    text.append(buffer, static_cast<std::size_t>(count));
  }
  if (!is_valid_utf8(text)) {
    return std::unexpected(ParseError::io_error(path, "stream did not contain valid UTF-8"));
  }
  return text;
}

}  // namespace kinetra
