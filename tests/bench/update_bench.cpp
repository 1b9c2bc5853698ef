// What an update costs, each figure paired with its reference in the same
// batch and printed as measured / reference (the counters "measured",
// "reference" and "ratio"; the rows' medians are what counts):
//
//   Update32KiBAt1msFrames  wall of a 32 KiB update against bootloader-sim at
//                           --frame-ms 1 / its floor: one frame per packet the
//                           device only takes, a two-frame round trip per
//                           request it answers (the queries and every GET_DATA),
//                           plus the updater's own delays (the first search 1 s
//                           after the dialog opens, 100 ms before each of the
//                           eight steps). Goal: 1.05. Program packets still
//                           queued for the device when programming ends drain
//                           during the next step's delay, so an updater at the
//                           link's pace comes out a little below 1.
//   UpdaterCpuAt1msFrames   the updater's CPU time during that update / its
//                           wall. Goal: 0.15.
//   IntelHexReader1MiB      the update window's reader on a 1 MiB image / the
//                           standard tool (objcopy -I ihex -O binary) on the
//                           same file. Goal: 2.
//   HostTime/<KiB>          wall of an update at --frame-ms 0, less the delays:
//                           the host's own time / 150 ms for 32 KiB, scaled by
//                           the size for the others. Goal at 32 KiB: 1.
//   StartUpToDialog         start of the headless bundle until its device
//                           dialog is shown / 40 ms. Goal: 1.
//   FloodBeforeStart        the updater's resident memory after 120 s of a
//                           device that sends 10 unasked reports a millisecond
//                           (bootloader-sim --fault flood) while the update
//                           window waits for Start / 64 MB. Goal: at most 1.
//                           peak_MB is the most it held over the whole run;
//                           the run counts only when the update started
//                           afterwards ends with a message and no "Update
//                           installed.". Takes two minutes.
//
//   updater_bench [--benchmark_repetitions=N] [--benchmark_filter=REGEX]
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "framework/memoryblock.h"
#include "fake_members.h"
#include "framework/string.h"
#include "jpegicc/jpegicc.h"
#include "mkpackage/package.h"
#include "protocol/hid.h"
#include "sim/config.h"
#include "sim/intel_hex.h"
#include "sim_process.h"
#include "support/bundle_copy.h"
#include "support/resident_memory.h"
#include "updater/read_file.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint32_t kFirst = 0x1000;
constexpr uint32_t kBytesPerPacket = 56;
constexpr double kDelaysMs = 1000 + 8 * 100;
constexpr int kRepetitions = 5;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double ChildrenCpuMs() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
}

std::vector<uint8_t> Image(uint32_t size) {
  std::vector<uint8_t> bytes(size);
  for (uint32_t i = 0; i < size; ++i) bytes[i] = uint8_t(i * 7 + (i >> 8));
  return bytes;
}

std::string Firmware(uint32_t size) { return sim::write_intel_hex({{kFirst, Image(size)}}); }

void Report(benchmark::State& state, double measured, double reference) {
  state.counters["measured"] = measured;
  state.counters["reference"] = reference;
  state.counters["ratio"] = measured / reference;
}

// bootloader-sim with `options`, ready; nullptr when it did not get ready.
std::unique_ptr<testsupport::SimProcess> StartDevice(const std::vector<std::string>& options,
                                                     const testsupport::Environment& env) {
  try {
    return std::make_unique<testsupport::SimProcess>(BOOTLOADER_SIM_PATH, options, env);
  } catch (const testsupport::SimNotReady&) {
    return nullptr;
  }
}

struct Update {
  double wall_ms = -1;  // negative: it did not end with "Update installed."
  double cpu_ms = 0;
};

// One update of an image of `size` bytes against a device of just that much
// program memory.
Update UpdateOnce(uint32_t size, const std::string& frame_ms) {
  testsupport::ScratchDir dir;
  e2e::BundleCopy bundle("updater");
  tools::PackageFields fields{"bench", "1.0", "Benchmark", "&h04D8", "&h003C", Firmware(size)};
  jpegicc::write_file(bundle.resources() / "logo.jpg",
                      tools::make_package(jpegicc::read_file(UPDATER_LOGO_PICTURE_PATH), fields));
  const testsupport::Environment env{{"HIDBUS_VIRTUAL_DIR", (dir / "hidbus").string()}};
  char region[64];
  std::snprintf(region, sizeof region, "1:0x%X:0x%X", kFirst, size);
  const auto device =
      StartDevice({"--region", region, "--region", "3:0x300000:14", "--erase-ms", "0", "--frame-ms", frame_ms}, env);
  Update u;
  if (!device) return u;
  // The device is reaped only after this, so the children's time is the updater's.
  const double cpu_before = ChildrenCpuMs();
  const auto start = Clock::now();
  const testsupport::Outcome o = bundle.RunHeadless("press mainWindow.StartButton\n", env, std::chrono::seconds(300));
  const double wall = MsSince(start);
  if (o.exit_code != 0 || o.out.find("msgbox \"Update installed.") == std::string::npos) return u;
  u.wall_ms = wall;
  u.cpu_ms = ChildrenCpuMs() - cpu_before;
  return u;
}

constexpr uint32_t kUpdateBytes = 32 * 1024;
constexpr int kPackets = (kUpdateBytes + kBytesPerPacket - 1) / kBytesPerPacket;
// Taken without an answer: erase, the program packets, program complete.
constexpr int kOneWay = 1 + kPackets + 1;
// Answered: both queries and every GET_DATA.
constexpr int kRoundTrips = 2 + kPackets;

void BM_Update32KiBAt1msFrames(benchmark::State& state) {
  const double floor_ms = kOneWay * 1.0 + kRoundTrips * 2.0 + kDelaysMs;
  for (auto _ : state) {
    const Update u = UpdateOnce(kUpdateBytes, "1");
    if (u.wall_ms < 0) {
      state.SkipWithError("the update did not succeed");
      return;
    }
    state.SetIterationTime(u.wall_ms / 1000);
    Report(state, u.wall_ms, floor_ms);
  }
  state.counters["one_way"] = kOneWay;
  state.counters["round_trips"] = kRoundTrips;
}
BENCHMARK(BM_Update32KiBAt1msFrames)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(kRepetitions);

void BM_UpdaterCpuAt1msFrames(benchmark::State& state) {
  for (auto _ : state) {
    const Update u = UpdateOnce(kUpdateBytes, "1");
    if (u.wall_ms < 0) {
      state.SkipWithError("the update did not succeed");
      return;
    }
    state.SetIterationTime(u.cpu_ms / 1000);
    Report(state, u.cpu_ms, u.wall_ms);
  }
}
BENCHMARK(BM_UpdaterCpuAt1msFrames)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(kRepetitions);

void BM_HostTime(benchmark::State& state) {
  const uint32_t size = static_cast<uint32_t>(state.range(0)) * 1024;
  const double reference = 150.0 * size / (32 * 1024);
  for (auto _ : state) {
    const Update u = UpdateOnce(size, "0");
    if (u.wall_ms < 0) {
      state.SkipWithError("the update did not succeed");
      return;
    }
    state.SetIterationTime((u.wall_ms - kDelaysMs) / 1000);
    Report(state, u.wall_ms - kDelaysMs, reference);
    state.counters["cpu_ms"] = u.cpu_ms;
  }
}
BENCHMARK(BM_HostTime)
    ->Arg(8)
    ->Arg(32)
    ->Arg(128)
    ->Arg(512)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(kRepetitions);

// The reader as step 2 runs it: one region of the image's size, b = 1.
double ReadOnce(const HID::BoundMembers& bound, const std::string& text, uint32_t size) {
  HID::MemoryRegions.clear();
  auto region = framework::make<HID::MemoryRegion>();
  region->Address = static_cast<int32_t>(kFirst);
  region->Size = static_cast<int32_t>(size);
  region->Type = 1;
  region->data = framework::NewMemoryBlock(size + 10);
  for (uint32_t i = 0; i < size; ++i) region->data->set_UInt8Value(i, 0xFF);
  HID::MemoryRegions.push_back(region);
  HID::memoryRegionsDetected = 1;
  HID::bytesPerAddress = 1;
  HID::datafile = framework::String(text);
  const auto start = Clock::now();
  const bool ok = updater::ReadFile(bound);
  const double ms = MsSince(start);
  return ok ? ms : -1;
}

void BM_IntelHexReader1MiB(benchmark::State& state) {
  constexpr uint32_t kSize = 1024 * 1024;
  const std::string text = Firmware(kSize);
  testsupport::ScratchDir dir;
  testsupport::WriteText(dir / "image.hex", text);
  const HID::BoundMembers bound = hidtest::FakeMembers(
      [](const framework::String& message) { std::fprintf(stderr, "%s\n", message.utf8().c_str()); });
  for (auto _ : state) {
    const double reader = ReadOnce(bound, text, kSize);
    const auto start = Clock::now();
    const testsupport::Outcome o = testsupport::Run(
        {"/usr/bin/objcopy", "-I", "ihex", "-O", "binary", (dir / "image.hex").string(), (dir / "image.bin").string()},
        {}, std::chrono::seconds(60));
    const double tool = MsSince(start);
    if (reader < 0 || o.exit_code != 0) {
      state.SkipWithError(reader < 0 ? "the reader refused the image" : "objcopy failed");
      return;
    }
    state.SetIterationTime(reader / 1000);
    Report(state, reader, tool);
  }
  state.counters["text_MB"] = text.size() / 1e6;
  HID::MemoryRegions.clear();
}
BENCHMARK(BM_IntelHexReader1MiB)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(kRepetitions);

// Milliseconds from the start of `program` until its standard output has a
// line starting with `line`; negative when it ends first.
double MsUntilLine(const std::string& program, const testsupport::Environment& env, const std::string& line) {
  const auto start = Clock::now();
  testsupport::Background running({program}, env);
  return running.WaitForLine(line, std::chrono::seconds(60)) ? MsSince(start) : -1;
}

void BM_StartUpToDialog(benchmark::State& state) {
  testsupport::ScratchDir dir;
  e2e::BundleCopy bundle("updater");
  const testsupport::Environment env{{"HIDBUS_VIRTUAL_DIR", (dir / "hidbus").string()}, {"FRAMEWORK_UI", "headless"}};
  for (auto _ : state) {
    const double ms = MsUntilLine(bundle.program().string(), env, "window DeviceDialog shown");
    if (ms < 0) {
      state.SkipWithError("no device dialog");
      return;
    }
    state.SetIterationTime(ms / 1000);
    Report(state, ms, 40);
  }
}
BENCHMARK(BM_StartUpToDialog)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(2 * kRepetitions);

void BM_FloodBeforeStart(benchmark::State& state) {
  constexpr auto kFlood = std::chrono::seconds(120);
  for (auto _ : state) {
    testsupport::ScratchDir dir;
    e2e::BundleCopy bundle("updater");  // the sample package, for the default device
    testsupport::Environment env{{"HIDBUS_VIRTUAL_DIR", (dir / "hidbus").string()}};
    const auto device = StartDevice({"--frame-ms", "0", "--erase-ms", "20", "--fault", "flood"}, env);
    if (!device) {
      state.SkipWithError("no device");
      return;
    }
    // Start comes a little after the 120 s, which count from the connect.
    testsupport::WriteText(dir / "script.txt", "wait 125000\npress mainWindow.StartButton\n");
    env["FRAMEWORK_UI"] = "headless";
    env["FRAMEWORK_SCRIPT"] = (dir / "script.txt").string();
    e2e::ResidentMemory memory("updater", std::chrono::milliseconds(250));
    const auto start = Clock::now();
    // Standard error is left out: it has a line for every report.
    testsupport::Background updater({bundle.program().string()}, env);
    if (!updater.WaitForLine("window mainWindow shown", std::chrono::seconds(30))) {
      state.SkipWithError("no update window");
      return;
    }
    const auto connected = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    const int exit_code = updater.Wait(std::chrono::seconds(300));
    const std::string& out = updater.out();
    if (exit_code != 0 || out.find("msgbox ") == std::string::npos ||
        out.find("msgbox \"Update installed.") != std::string::npos) {
      state.SkipWithError("the update after the flood did not end with a message alone");
      return;
    }
    const double rss_mb = memory.at(connected + kFlood).rss_kib / 1024.0;
    state.SetIterationTime(MsSince(start) / 1000);
    Report(state, rss_mb, 64);
    state.counters["peak_MB"] = memory.last().peak_kib / 1024.0;
  }
}
BENCHMARK(BM_FloodBeforeStart)->UseManualTime()->Iterations(1)->Repetitions(1);

}  // namespace

BENCHMARK_MAIN();
