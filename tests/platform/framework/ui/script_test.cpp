#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/ui/headless.h"
#include "framework/ui/push_button.h"
#include "framework/ui/run.h"
#include "framework/ui/script.h"
#include "framework/ui/window.h"
#include "process_run.h"
#include "scratch_dir.h"

using namespace framework;

namespace {

struct LineCase {
  const char* text;
  ui::ScriptLine expected;
  friend void PrintTo(const LineCase& c, std::ostream* os) { *os << c.text; }
};

class ScriptParse : public ::testing::TestWithParam<LineCase> {};

TEST_P(ScriptParse, ReadsOneActionALine) {
  std::vector<ui::ScriptLine> lines = ui::parse_script(std::string("# comment\n\n") + GetParam().text + "\r\n");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].number, 3);
  EXPECT_EQ(lines[0].verb, GetParam().expected.verb);
  EXPECT_EQ(lines[0].target, GetParam().expected.target);
  EXPECT_EQ(lines[0].text, GetParam().expected.text);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ScriptParse,
    ::testing::Values(LineCase{"press mainWindow.StartButton", {0, "press", "mainWindow.StartButton", ""}},
                      LineCase{"type ConsoleWindow.iAddress &h1400", {0, "type", "ConsoleWindow.iAddress", "&h1400"}},
                      LineCase{"type W.F two  words", {0, "type", "W.F", "two  words"}},
                      LineCase{"type W.F", {0, "type", "W.F", ""}},
                      LineCase{"  key mainWindow Escape", {0, "key", "mainWindow", "Escape"}},
                      LineCase{"menu FileQuit", {0, "menu", "FileQuit", ""}},
                      LineCase{"close ConsoleWindow", {0, "close", "ConsoleWindow", ""}},
                      LineCase{"screenshot start", {0, "screenshot", "start", ""}},
                      LineCase{"wait 1500", {0, "wait", "1500", ""}}),
    [](const auto& info) { return "Line" + std::to_string(info.index); });

class ScriptParseError : public ::testing::TestWithParam<const char*> {};

TEST_P(ScriptParseError, NamesTheLine) {
  try {
    ui::parse_script(std::string("press a.b\n") + GetParam());
    FAIL() << "no error";
  } catch (const std::invalid_argument& e) {
    EXPECT_EQ(std::string(e.what()).rfind("line 2: ", 0), 0u) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(Lines, ScriptParseError,
                         ::testing::Values("push a.b", "press", "press mainWindow", "type noDot text", "key mainWindow",
                                           "close a b", "wait", "wait soon", "wait -5", "wait 123456789", "wait 5 s"),
                         [](const auto& info) { return "Line" + std::to_string(info.index); });

class EmptyWindow : public Window {
 public:
  static const ClassRecord& class_record() { return subclass_record<EmptyWindow, Window>("EmptyWindow"); }

 protected:
  void CreateControls() override { AddControl<PushButton>("Off", {.Enabled = false}); }
};

class EmptyApp : public Application {
 public:
  static const ClassRecord& class_record() { return subclass_record<EmptyApp, Application>("EmptyApp"); }
  void Event_Open() override { ImplicitWindow<EmptyWindow>(); }
};

// Runs EmptyApp headless with `user` acting; its exit code.
int RunEmptyApp(ui::ScriptedUser& user) {
  headless::HeadlessBackend backend;
  ui::Startup s;
  s.make_application = [] { return Ref<Application>(make<EmptyApp>()); };
  s.idle_hook = [&user](std::optional<Duration>& timeout) { return user.on_idle(timeout); };
  return ui::run_application(backend, s);
}

TEST(ScriptedUserTest, LineThatCannotBeDoneInTimeFailsTheScriptAndQuits) {
  ui::ScriptedUser user(ui::parse_script("press EmptyWindow.Off\n"), std::chrono::milliseconds(30));
  EXPECT_EQ(RunEmptyApp(user), 0);
  EXPECT_TRUE(user.failed());
  EXPECT_NE(user.failure().find("line 1"), std::string::npos) << user.failure();
}

// A wait holds the next line back for its time, however short the lines' limit.
TEST(ScriptedUserTest, WaitHoldsTheNextLineBackBeyondTheLineLimit) {
  ui::ScriptedUser user(ui::parse_script("wait 150\npress EmptyWindow.Off\n"), std::chrono::milliseconds(30));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RunEmptyApp(user), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(150 + 30));
  EXPECT_NE(user.failure().find("line 2"), std::string::npos) << user.failure();
}

// Runs the sample application with the script at `path`; returns its exit
// code (-1 when it had to be stopped) and its output, standard output first.
// env takes away whatever would have it choose the Qt backend.
std::pair<int, std::string> run_sample_with(const std::filesystem::path& path) {
  const testsupport::Outcome run =
      testsupport::Run({"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM",
                        "FRAMEWORK_UI=headless", "FRAMEWORK_SCRIPT=" + path.string(), UI_SAMPLE},
                       {}, std::chrono::seconds(30));
  return {run.exit_code, run.out + run.err};
}

std::pair<int, std::string> run_sample(const std::string& script) {
  const testsupport::ScratchDir dir;
  const std::filesystem::path path = dir / "script.txt";
  std::ofstream(path) << script;
  return run_sample_with(path);
}

TEST(ScriptRunnerTest, WholeProcessActsOutTheScriptAndWritesTheTranscript) {
  auto [code, out] = run_sample(
      "type sampleWindow.name World\n"
      "press sampleWindow.GoButton\n"
      "screenshot after\n"
      "menu FileQuit\n");
  EXPECT_EQ(code, 0) << out;
  const char* expected[] = {
      "window sampleWindow shown\n",
      "enabled sampleWindow.GoButton False\n",
      "progress sampleWindow.bar 500\n",
      "label sampleWindow.info \"Hello, World.\"\n",
      "msgbox \"Done.\"\n",
      "screenshot after\n",
      "  field sampleWindow.name \"World\" 20,44 180x22\n",
      "  canvas sampleWindow.picture 220,14 80x60 | erase | picture 40x20 from 0,0 40x20 into 0,0 80x60\n",
      "window sampleWindow closed\n",
  };
  std::size_t at = 0;
  for (const char* line : expected) {
    std::size_t found = out.find(line, at);
    ASSERT_NE(found, std::string::npos) << "missing in order: " << line << "in:\n" << out;
    at = found + 1;
  }
}

// A script that cannot be read stops the start as a bad one does, before any
// window opens and waits for a user who is not there.
TEST(ScriptRunnerTest, UnreadableScriptStopsTheStartWithExitCode2) {
  const testsupport::ScratchDir dir;
  for (const auto& [path, reason] :
       {std::pair{dir / "missing.txt", "No such file or directory"}, std::pair{dir.path(), "Is a directory"}}) {
    auto [code, out] = run_sample_with(path);
    EXPECT_EQ(code, 2) << out;
    EXPECT_EQ(out, "FRAMEWORK_SCRIPT: cannot read " + path.string() + ": " + reason + "\n");
  }
}

TEST(ScriptRunnerTest, BadScriptStopsTheStartWithExitCode2) {
  auto [code, out] = run_sample("frobnicate sampleWindow\n");
  EXPECT_EQ(code, 2);
  EXPECT_NE(out.find("line 1: unknown action \"frobnicate\""), std::string::npos) << out;
}

}  // namespace
