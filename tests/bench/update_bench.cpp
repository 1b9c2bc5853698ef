// The wall time of a whole 32 KiB update against bootloader-sim, next to its
// floor: one report per 1 ms frame each way, so each packet costs a frame and
// each answered request a two-frame round trip, plus the updater's own
// delays (the first search 1 s after the dialog opens, 100 ms before each of
// the eight steps). At --frame-ms 0 the device costs nothing, and what is
// left beyond the delays is the host's own time.
//
//   updater_bench [--benchmark_repetitions=N]
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "jpegicc/jpegicc.h"
#include "mkpackage/package.h"
#include "sim/config.h"
#include "sim/intel_hex.h"
#include "support/bundle_copy.h"

namespace {

constexpr uint32_t kImageBytes = 32 * 1024;
constexpr uint32_t kFirst = 0x1000;
constexpr int kBytesPerPacket = 56;

// Packets and round trips of one update of the image.
constexpr int kPackets = (kImageBytes + kBytesPerPacket - 1) / kBytesPerPacket;
constexpr int kSent = 3 + kPackets + 1 + kPackets;  // query, erase, query, program, complete, get data
constexpr int kRoundTrips = 2 + kPackets;           // both queries and every GET_DATA
constexpr double kDelaysMs = 1000 + 8 * 100;

std::string Firmware() {
  sim::HexBlock block{kFirst, {}};
  for (uint32_t i = 0; i < kImageBytes; ++i) block.bytes.push_back(uint8_t(i * 7 + (i >> 8)));
  return sim::write_intel_hex({block});
}

// One update; returns its wall time in milliseconds, or a negative value when
// it did not end with "Update installed.".
double UpdateOnce(const std::string& frame_ms) {
  e2e::ScratchDir dir;
  e2e::BundleCopy bundle("updater");
  tools::PackageFields fields{"bench", "1.0", "Benchmark", "&h04D8", "&h003C", Firmware()};
  jpegicc::write_file(bundle.resources() / "logo.jpg",
                      tools::make_package(jpegicc::read_file(UPDATER_LOGO_PICTURE_PATH), fields));
  const e2e::Environment env{{"HIDBUS_VIRTUAL_DIR", (dir / "hidbus").string()}};
  e2e::Background device({BOOTLOADER_SIM_PATH, "--region", "1:0x1000:0x8000", "--region",
                          "3:0x300000:14", "--erase-ms", "0", "--frame-ms", frame_ms},
                         env);
  if (!device.WaitForLine("ready", std::chrono::seconds(10))) return -1;
  const auto start = std::chrono::steady_clock::now();
  const e2e::Outcome o = bundle.RunHeadless("press mainWindow.StartButton\n", env, std::chrono::seconds(120));
  const auto end = std::chrono::steady_clock::now();
  if (o.exit_code != 0 || o.out.find("msgbox \"Update installed.") == std::string::npos) return -1;
  return std::chrono::duration<double, std::milli>(end - start).count();
}

void BM_Update32KiBAt1msFrames(benchmark::State& state) {
  const double floor_ms = kSent * 1.0 + kRoundTrips * 2.0 + kDelaysMs;
  for (auto _ : state) {
    const double ms = UpdateOnce("1");
    if (ms < 0) {
      state.SkipWithError("the update did not succeed");
      return;
    }
    state.SetIterationTime(ms / 1000);
    state.counters["wall_ms"] = ms;
  }
  state.counters["floor_ms"] = floor_ms;
  state.counters["packets"] = kSent;
  state.counters["round_trips"] = kRoundTrips;
}
BENCHMARK(BM_Update32KiBAt1msFrames)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_Update32KiBHostTime(benchmark::State& state) {
  for (auto _ : state) {
    const double ms = UpdateOnce("0");
    if (ms < 0) {
      state.SkipWithError("the update did not succeed");
      return;
    }
    state.SetIterationTime(ms / 1000);
    state.counters["wall_ms"] = ms;
    state.counters["host_ms"] = ms - kDelaysMs;
  }
  state.counters["delays_ms"] = kDelaysMs;
}
BENCHMARK(BM_Update32KiBHostTime)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
