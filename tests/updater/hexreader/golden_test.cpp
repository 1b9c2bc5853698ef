// Golden cases: golden/<case>.hex is read into the regions that
// golden/<case>.case lists, and each region image must equal
// golden/<case>.region<k>.bin byte for byte.
//
// <case>.case, one item a line ("#" starts a comment):
//   family <n>                  the device family of the QUERY_DEVICE reply
//   region <type> <address> <size>   one entry each, in reply order
//   result true|false           what the reader returns
//   message <text>              each message shown, in order

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "reader_fixture.h"

namespace {

namespace fs = std::filesystem;

const fs::path kGolden = HEXREADER_GOLDEN_DIR;

std::vector<std::string> CaseNames() {
  std::vector<std::string> names;
  for (const fs::directory_entry& e : fs::directory_iterator(kGolden)) {
    if (e.path().extension() == ".case") names.push_back(e.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Case {
  int family = 0;
  std::vector<hidtest::RegionEntry> regions;
  bool result = false;
  std::vector<std::string> messages;
};

Case ReadCase(const fs::path& path) {
  Case c;
  std::istringstream in(FileBytes(path));
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string key;
    words >> key;
    if (key.empty() || key[0] == '#') continue;
    if (key == "family") {
      words >> c.family;
    } else if (key == "region") {
      std::string type, address, size;
      words >> type >> address >> size;
      c.regions.push_back({static_cast<uint8_t>(std::stoul(type, nullptr, 0)),
                           static_cast<int32_t>(std::stoul(address, nullptr, 0)),
                           static_cast<int32_t>(std::stol(size, nullptr, 0))});
    } else if (key == "result") {
      std::string value;
      words >> value;
      c.result = value == "true";
    } else if (key == "message") {
      std::string text;
      std::getline(words >> std::ws, text);
      c.messages.push_back(text);
    } else {
      ADD_FAILURE() << path << ": unknown item " << key;
    }
  }
  return c;
}

class GoldenTest : public hidtest::ReaderTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(GoldenTest, FillsTheExpectedImages) {
  const fs::path base = kGolden / GetParam();
  const Case c = ReadCase(base.string() + ".case");
  MakeRegions(static_cast<uint8_t>(c.family), c.regions);

  EXPECT_EQ(Read(FileBytes(base.string() + ".hex")), c.result);
  EXPECT_EQ(messages, c.messages);
  ASSERT_EQ(HID::MemoryRegions.size(), c.regions.size());
  for (size_t k = 0; k < c.regions.size(); ++k) {
    const fs::path image = base.string() + ".region" + std::to_string(k) + ".bin";
    ASSERT_TRUE(fs::exists(image)) << image;
    const std::string expected = FileBytes(image);
    EXPECT_TRUE(hidtest::SameBytes(ImageOf(k), std::vector<uint8_t>(expected.begin(), expected.end())))
        << "region " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenTest, ::testing::ValuesIn(CaseNames()),
                         [](const auto& info) { return info.param; });

}  // namespace
