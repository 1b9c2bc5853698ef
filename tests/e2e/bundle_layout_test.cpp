// Each bundle stands alone: a copy of it in another folder finds every library
// it loads inside itself or on the system, never in the build tree.

#include <gtest/gtest.h>

#include <fstream>

#include "support/bundle_copy.h"

namespace {

namespace fs = std::filesystem;
using e2e::BundleCopy;

bool IsElf(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  char magic[4] = {};
  in.read(magic, 4);
  return in.gcount() == 4 && magic[0] == 0x7F && magic[1] == 'E' && magic[2] == 'L' && magic[3] == 'F';
}

class BundleLayoutTest : public testing::TestWithParam<const char*> {};

TEST_P(BundleLayoutTest, CopyLoadsNothingFromTheBuildTree) {
  BundleCopy copy(GetParam());
  const fs::path root = copy.program().parent_path().parent_path();
  int checked = 0;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file() || !IsElf(entry.path())) continue;
    ++checked;
    const testsupport::Outcome ldd =
        testsupport::Run({"/usr/bin/ldd", entry.path().string()}, {}, std::chrono::seconds(30));
    SCOPED_TRACE(entry.path().string() + "\n" + ldd.out);
    EXPECT_EQ(ldd.exit_code, 0);
    EXPECT_EQ(ldd.out.find("not found"), std::string::npos);
    EXPECT_EQ(ldd.out.find(UPDATER_BUILD_DIR "/"), std::string::npos);
  }
  EXPECT_GT(checked, 4) << "the program and its plug-ins";
}

INSTANTIATE_TEST_SUITE_P(Bundles, BundleLayoutTest, testing::Values("updater", "updater-diag", "updater-win"),
                         [](const auto& info) {
                           std::string name = info.param;
                           for (char& c : name) {
                             if (c == '-') c = '_';
                           }
                           return name;
                         });

}  // namespace
