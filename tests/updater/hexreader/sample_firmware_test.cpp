#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "default_device.h"
#include "reader_fixture.h"

namespace {

using hidtest::ReaderTest;

std::vector<uint8_t> FileBytes(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string FileText(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The default device: program region 0x1000 of 0x7000 addresses, configuration
// region 0x300000 of 14, one byte per address.
TEST_F(ReaderTest, SampleFirmwareFillsTheImagesAsTheStandardToolsBinary) {
  MakeRegions(testsupport::DefaultQueryReply());
  ASSERT_TRUE(Read(FileText(SAMPLE_HEX)));
  EXPECT_TRUE(messages.empty());

  std::vector<uint8_t> program = FileBytes(SAMPLE_PROGRAM_BIN);
  ASSERT_EQ(program.size(), 0x7000u);
  program.resize(0x7000 + 10, 0);
  EXPECT_TRUE(hidtest::SameBytes(ImageOf(0), program));

  std::vector<uint8_t> config = FileBytes(SAMPLE_CONFIG_BIN);
  ASSERT_EQ(config.size(), 14u);
  config.resize(14 + 10, 0);
  EXPECT_TRUE(hidtest::SameBytes(ImageOf(1), config));
}

}  // namespace
