#include "framework/folderitem.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "framework/text.h"
#include "scratch_dir.h"

namespace framework {
namespace {

namespace fs = std::filesystem;

class FolderItemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(root_ / "updater.app" / "Contents" / "MacOS");
    fs::create_directories(root_ / "updater.app" / "Contents" / "Resources");
  }
  void TearDown() override { set_executable_file(std::nullopt); }
  const testsupport::ScratchDir scratch_;
  const fs::path root_ = scratch_.path();
};

TEST_F(FolderItemTest, ExecutableDefaultsToThisProcess) {
  Ref<FolderItem> exe = ExecutableFile();
  ASSERT_TRUE(exe);
  EXPECT_TRUE(exe->Exists());
  EXPECT_EQ(exe->Name(), String("framework_tests"));
}

TEST_F(FolderItemTest, BundleWalkReachesResources) {
  set_executable_file(root_ / "updater.app" / "Contents" / "MacOS" / "updater");
  Ref<FolderItem> logo = ExecutableFile()->Parent()->Parent()->Child("Resources")->Child("logo.jpg");
  ASSERT_TRUE(logo);
  EXPECT_EQ(logo->path(), root_ / "updater.app" / "Contents" / "Resources" / "logo.jpg");
  EXPECT_FALSE(logo->Exists());

  Ref<FolderItem> resources = ResourcesFolder();
  ASSERT_TRUE(resources);
  EXPECT_EQ(resources->path(), root_ / "updater.app" / "Contents" / "Resources");
  EXPECT_TRUE(resources->Exists());
  EXPECT_TRUE(resources->Directory());

  // Relative paths start at the folder that holds the bundle.
  Ref<FolderItem> log = GetFolderItem("trace.txt", 0);
  ASSERT_TRUE(log);
  EXPECT_EQ(log->path(), root_ / "trace.txt");
}

TEST_F(FolderItemTest, OutsideABundle) {
  set_executable_file(root_ / "updater-win");
  EXPECT_FALSE(ResourcesFolder());
  Ref<FolderItem> libs = GetFolderItem("Updater Libs", 0);
  ASSERT_TRUE(libs);
  EXPECT_EQ(libs->Child("logo.jpg")->path(), root_ / "Updater Libs" / "logo.jpg");
  EXPECT_EQ(GetFolderItem("/etc", 0)->path(), fs::path("/etc"));
  EXPECT_FALSE(GetFolderItem("", 0));
  EXPECT_FALSE(GetFolderItem("x", 3));
}

TEST_F(FolderItemTest, ChildRejectsNamesThatLeaveTheFolder) {
  Ref<FolderItem> folder = make<FolderItem>(root_);
  EXPECT_FALSE(folder->Child(""));
  EXPECT_FALSE(folder->Child(".."));
  EXPECT_FALSE(folder->Child("a/b"));
  EXPECT_FALSE(make<FolderItem>(fs::path("/"))->Parent());
}

TEST_F(FolderItemTest, TextFileGetsLinesAndClosesOnRelease) {
  fs::path file = root_ / "log.txt";
  {
    Ref<TextOutputStream> out = make<FolderItem>(file)->CreateTextFile();
    ASSERT_TRUE(out);
    out->WriteLine("QUERY_DEVICE");
    out->WriteLine(String::from_bytes("\x02\x38", Encodings.Undetermined));
  }
  std::ifstream in(file, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  EXPECT_EQ(s.str(), "QUERY_DEVICE\n\x02\x38\n");
  EXPECT_FALSE(make<FolderItem>(root_ / "missing" / "x.txt")->CreateTextFile());
}

}  // namespace
}  // namespace framework
