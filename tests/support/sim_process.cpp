#include "sim_process.h"

namespace testsupport {

namespace {

std::vector<std::string> Command(const std::string& program, const std::vector<std::string>& options) {
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), options.begin(), options.end());
  return argv;
}

}  // namespace

SimProcess::SimProcess(const std::string& program, const std::vector<std::string>& options, const Environment& env,
                       std::chrono::milliseconds limit)
    : process_(Command(program, options), env) {
  // The first line only: the program prints nothing before it is ready.
  const std::optional<std::string> first = process_.WaitForLine("", limit);
  if (!first || first->rfind(kReady, 0) != 0) {
    const std::string said = first ? "its first line was '" + *first + "'" : "no line";
    throw SimNotReady(program + " did not get ready within " + std::to_string(limit.count()) + " ms: " + said);
  }
  ready_ = *first;
}

}  // namespace testsupport
