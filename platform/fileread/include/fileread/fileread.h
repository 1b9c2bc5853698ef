#pragma once
// Reading a whole file to its end. The result holds the bytes or the errno
// that stopped the read, never an exception: a stream of the C++ library
// throws from inside its buffer when read(2) fails (a folder, EIO, or a sysfs
// attribute whose device left after the open), and the iterators over it let
// that out.

#include <cstddef>
#include <limits>
#include <string>

namespace fileread {

struct FileRead {
  std::string bytes;    // everything read; the whole file only when error is 0
  int error = 0;        // errno of the open or read that failed, EFBIG past the limit
  bool opened = false;  // false: the open failed, true: the read did

  bool ok() const { return error == 0; }
  // The reason in words ("Is a directory"), empty when the read succeeded.
  std::string reason() const;
};

constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();

// Opens PATH for reading and reads it to its end (a pipe or a FIFO too). More
// than `limit` bytes end the read with EFBIG, so a file cannot make the caller
// hold more than it means to.
FileRead read_file(const std::string& path, std::size_t limit = kNoLimit);

// Reads the open descriptor FD from where it stands to its end; FD stays open.
// `opened` is true.
FileRead read_fd(int fd, std::size_t limit = kNoLimit);

}  // namespace fileread
