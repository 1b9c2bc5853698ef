#include "fileread/fileread.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace fileread {

std::string FileRead::reason() const { return error == 0 ? std::string() : std::strerror(error); }

FileRead read_fd(int fd, std::size_t limit) {
  FileRead result;
  result.opened = true;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      result.error = errno;
      return result;
    }
    if (n == 0) return result;
    if (static_cast<std::size_t>(n) > limit - result.bytes.size()) {
      result.error = EFBIG;
      return result;
    }
    result.bytes.append(buffer, static_cast<std::size_t>(n));
  }
}

FileRead read_file(const std::string& path, std::size_t limit) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    FileRead result;
    result.error = errno;
    return result;
  }
  FileRead result = read_fd(fd, limit);
  ::close(fd);
  return result;
}

}  // namespace fileread
