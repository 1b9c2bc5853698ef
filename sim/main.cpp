// bootloader-sim: one simulated HID bootloader device on the HID bus, served
// until SIGINT or SIGTERM.

#include <sim/sim.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <fcntl.h>
#include <unistd.h>

namespace {

int stop_pipe[2] = {-1, -1};

void on_signal(int) {
  char byte = 1;
  ssize_t ignored = ::write(stop_pipe[1], &byte, 1);
  (void)ignored;
}

}  // namespace

int main(int argc, char** argv) {
  sim::ParsedArgs args;
  try {
    args = sim::parse_args(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const sim::ConfigError& e) {
    std::fprintf(stderr, "bootloader-sim: %s\n(bootloader-sim --help lists the options)\n", e.what());
    return 2;
  }
  if (args.help) {
    std::fputs(sim::usage().c_str(), stdout);
    return 0;
  }

  try {
    sim::Device device = sim::make_device(args.config);

    if (::pipe2(stop_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
      std::perror("bootloader-sim: pipe2");
      return 1;
    }
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::mutex mutex;
    sim::serve_virtual(device, mutex, stop_pipe[0], {}, [](const std::string& path) {
      std::printf("ready %s\n", path.c_str());
      std::fflush(stdout);
    });
    if (args.config.verbose) {
      std::fprintf(stderr, "bootloader-sim: %llu packets, %llu bytes outside every region\n",
                   static_cast<unsigned long long>(device.packets()),
                   static_cast<unsigned long long>(device.ignored_bytes()));
    }
    return 0;
  } catch (const sim::HexError& e) {
    std::fprintf(stderr, "bootloader-sim: --fill: %s\n", e.what());
    return 2;
  } catch (const sim::ConfigError& e) {
    std::fprintf(stderr, "bootloader-sim: %s\n", e.what());
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bootloader-sim: %s\n", e.what());
    return 1;
  }
}
