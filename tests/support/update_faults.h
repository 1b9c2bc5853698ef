#pragma once
// The faults of the simulated device that an update must end in its own
// message, written once for the in-process update tests (the update window
// over a simulated device in the test) and the whole-process ones (the built
// bundle against bootloader-sim). Each suite runs them its own way; both
// start from the default device and take the faults as bootloader-sim's
// options.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace testsupport {

// Packets the default device handles before the first GET_DATA: query,
// erase, query, 512 program packets, one PROGRAM_COMPLETE.
inline constexpr int kBeforeVerify = 3 + 512 + 1;

inline const char kInstalled[] = "Update installed.\n\nPlease disconnect the device and turn it off.";
inline const char kVerifyFailed[] = "Verify failed. Please try again.";

// What a case's messages rely on of the link: some hold only where an answer
// arrives some time after its request (a whole process), or only where it
// arrives at once (the in-process link).
enum class Answers { any_time, later, at_once };

struct FaultCase {
  friend void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::vector<std::string> sim_args;  // bootloader-sim's options
  // The message boxes in order; one ending in "..." matches by its start.
  std::vector<std::string> messages;
  // A warning that the device link gives for every received report: in a
  // whole process it must appear, and is left out when the messages are
  // compared. The in-process link is a fake that gives none.
  std::string link_warning = {};
  Answers answers = Answers::any_time;
};

inline std::vector<FaultCase> UpdateFaults() {
  const std::string verifying = std::to_string(kBeforeVerify + 3);
  return {
      {"NoQueryAnswer", {"--fault", "no-query-reply"}, {"Failed to get answer from device."}},
      {"WrongCommandByte", {"--fault", "wrong-command=7"}, {"Wrong answer from device.\n\n7"}},
      {"UnknownFamily", {"--fault", "unknown-family=4"}, {"Unknown type of device.\n\n4"}},
      {"PacketSizeZero", {"--bytes-per-packet", "0"}, {"Unsupported packet size reported by device.\n\n0"}},
      {"PacketSizePastTheDataField",
       {"--bytes-per-packet", "59"},
       {"Unsupported packet size reported by device.\n\n59"}},
      {"PacketSizeOfAWholeReport", {"--bytes-per-packet", "64"}, {"Unsupported packet size reported by device.\n\n64"}},
      {"SilentAfterErase", {"--fault", "silent-after=2"}, {"Failed to get answer from device."}},
      {"StuckBit", {"--fault", "stuck-bit=0x2388:0:0"}, {"Verification failed on address 002388", kVerifyFailed}},
      {"SilentDuringVerification", {"--fault", "silent-after=" + verifying}, {kVerifyFailed}},
      {"RemovedDuringVerification", {"--fault", "remove-after=" + verifying}, {kVerifyFailed}},
      {"CountAboveTheDataField",
       {"--fault", "get-data-count=59"},
       {"Verification failed on address 001000", kVerifyFailed}},
      {"CountFarAboveTheDataField",
       {"--fault", "get-data-count=60"},
       {"Verification failed on address 001000", kVerifyFailed}},
      {"AnswerForAnotherAddress",
       {"--fault", "get-data-address=1"},
       {"Verification failed on address ...", kVerifyFailed}},
      {"AnswerForAnAddressFurtherOn",
       {"--fault", "get-data-address=8"},
       {"Verification failed on address ...", kVerifyFailed}},
      {"AnswerOutsideTheImage",
       {"--fault", "get-data-address=-4096"},
       {"Verification failed on address 001000", kVerifyFailed}},
      {"ShortAnswer",
       {"--fault", "short-report=63"},
       {"Verification failed on address 001000", kVerifyFailed},
       "Invalid data length received."},
      {"ShorterAnswer",
       {"--fault", "short-report=40"},
       {"Verification failed on address 001000", kVerifyFailed},
       "Invalid data length received."},
      // Already queued when the first query goes out, it is taken as its answer.
      {"UnaskedReportOnConnect", {"--fault", "unsolicited=0"}, {"Wrong answer from device.\n\n90"}, {}, Answers::later},
      // The unasked report stays queued behind the newer answers.
      {"UnaskedReportBeforeVerification",
       {"--fault", "unsolicited=" + std::to_string(kBeforeVerify)},
       {kInstalled},
       {},
       Answers::at_once},
      // An answer with count 0 compares nothing, so it must not pass.
      {"StuckBitAnsweredWithCountZero",
       {"--fault", "stuck-bit=0x1000:4", "--fault", "get-data-count=0"},
       {"Verification failed on address 001000", kVerifyFailed}},
      // The regions' images would take gigabytes; nothing is erased.
      {"ClaimedRegionsOfTwoGigaAddresses",
       {"--fault", "claim-size=0x7FFFFFF0"},
       {"Unusable memory regions reported by device."}},
      {"ClaimedRegionsJustPastTheLimit",
       {"--fault", "claim-size=0x2000000"},
       {"Unusable memory regions reported by device."}},
  };
}

// The cases whose messages hold where answers arrive as `answers` says.
inline std::vector<FaultCase> UpdateFaults(Answers answers) {
  std::vector<FaultCase> cases;
  for (FaultCase& c : UpdateFaults()) {
    if (c.answers == Answers::any_time || c.answers == answers) cases.push_back(std::move(c));
  }
  return cases;
}

inline std::string FaultName(const testing::TestParamInfo<FaultCase>& info) { return info.param.name; }

inline const char kNoUsableRegions[] = "Unusable memory regions reported by device.";
inline const char kNoDataForDevice[] = "The firmware holds no data for this device.";

// Devices and packages that leave nothing to install: the update must end
// with its message before the erase, the device's memory as it was.
struct NothingToInstallCase {
  friend void PrintTo(const NothingToInstallCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  std::vector<std::string> sim_args;  // bootloader-sim's options
  const char* message;
  // The firmware: `firmware_length` bytes from byte address `firmware_at` on;
  // a length of 0 gives one made for the device's regions.
  uint32_t firmware_at = 0;
  uint32_t firmware_length = 0;
};

inline std::vector<NothingToInstallCase> NothingToInstall() {
  return {
      {"OnlyAConfigurationRegion", {"--region", "3:0x300000:14"}, kNoUsableRegions},
      {"RegionsOfSizeZero",
       {"--region", "1:0x1000:0", "--region", "2:0x2000:0", "--region", "3:0x300000:14"},
       kNoUsableRegions},
      // The device holds its memory but says its regions are empty.
      {"RegionsClaimedEmpty", {"--fault", "claim-size=0"}, kNoUsableRegions},
      {"FirmwareOutsideEveryRegion", {}, kNoDataForDevice, 0x20000, 64},
      // The reader places it in the configuration region, which is never written.
      {"FirmwareOnlyForTheConfigurationRegion", {}, kNoDataForDevice, 0x300000, 14},
  };
}

inline std::string NothingToInstallName(const testing::TestParamInfo<NothingToInstallCase>& info) {
  return info.param.name;
}

// The messages shown against the case's, in order.
inline void ExpectMessages(const std::vector<std::string>& shown, const std::vector<std::string>& expected) {
  ASSERT_EQ(shown.size(), expected.size()) << testing::PrintToString(shown);
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const std::string& e = expected[i];
    if (e.size() > 3 && e.compare(e.size() - 3, 3, "...") == 0) {
      EXPECT_EQ(shown[i].rfind(e.substr(0, e.size() - 3), 0), 0u) << shown[i];
    } else {
      EXPECT_EQ(shown[i], e);
    }
  }
}

}  // namespace testsupport
