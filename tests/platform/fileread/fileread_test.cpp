#include "fileread/fileread.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>

#include "scratch_dir.h"

namespace {

using testsupport::ScratchDir;

struct ReadCase {
  const char* name;
  const char* file;  // in a folder holding five.txt ("12345") and the folder sub
  std::size_t limit;
  int error;
  bool opened;
  const char* bytes;
};
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class FileReadTest : public testing::TestWithParam<ReadCase> {};

TEST_P(FileReadTest, GivesTheBytesOrTheReason) {
  ScratchDir dir;
  testsupport::WriteText(dir / "five.txt", "12345");
  std::filesystem::create_directory(dir / "sub");

  const fileread::FileRead read = fileread::read_file((dir / GetParam().file).string(), GetParam().limit);

  EXPECT_EQ(read.error, GetParam().error) << read.reason();
  EXPECT_EQ(read.opened, GetParam().opened);
  if (read.ok()) EXPECT_EQ(read.bytes, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(Files, FileReadTest,
                         testing::Values(ReadCase{"WholeFile", "five.txt", fileread::kNoLimit, 0, true, "12345"},
                                         ReadCase{"JustWithinTheLimit", "five.txt", 5, 0, true, "12345"},
                                         ReadCase{"PastTheLimit", "five.txt", 4, EFBIG, true, ""},
                                         ReadCase{"Missing", "missing.txt", fileread::kNoLimit, ENOENT, false, ""},
                                         // A folder opens, and its read(2) fails.
                                         ReadCase{"Folder", "sub", fileread::kNoLimit, EISDIR, true, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

// A pipe has no size to go by: it is read until its writer closes it.
TEST(FileReadPipeTest, ReadsAPipeToItsEnd) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  const std::string text(100000, 'x');
  // More than the pipe holds at once, so that reads and writes alternate.
  std::thread writer([&] {
    for (std::size_t done = 0; done < text.size();) {
      const ssize_t n = ::write(ends[1], text.data() + done, text.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::close(ends[1]);
  });

  const fileread::FileRead read = fileread::read_fd(ends[0]);
  writer.join();
  ::close(ends[0]);

  EXPECT_TRUE(read.ok()) << read.reason();
  EXPECT_EQ(read.bytes, text);
}

}  // namespace
