// The Qt backend's pictures of a whole update against what the window model
// showed at each of them (updater_screenshots writes both): each control that
// must show something is not blank at its place, an empty label is blank, the
// bar's filled part follows its value and grows from shot to shot, and between
// two shots of a window the picture changes where the model changed and
// stays where it did not.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QRect>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "process_run.h"
#include "scratch_dir.h"  // ReadText

namespace {

namespace fs = std::filesystem;

// One control as the model dump shows it.
struct Shown {
  std::string kind;  // label, button, progress, canvas, field, control
  std::string text;  // of a label, button or field
  int value = 0, maximum = 0;
  QRect rect;
  bool enabled = true, visible = true;
  std::string line;  // the whole dump line, for the report
};

struct WindowModel {
  QSize size;
  std::map<std::string, Shown> controls;  // by the control's name
};

// "..." with the dump's escapes, from `pos` on; pos ends after it.
std::string Unquote(const std::string& line, size_t& pos) {
  std::string out;
  if (pos >= line.size() || line[pos] != '"') {
    pos = line.size();
    return out;
  }
  for (++pos; pos < line.size() && line[pos] != '"'; ++pos) {
    if (line[pos] != '\\' || pos + 1 >= line.size()) {
      out += line[pos];
      continue;
    }
    switch (line[++pos]) {
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      default:
        out += line[pos];
    }
  }
  pos = std::min(pos + 1, line.size());
  return out;
}

// "L,T WxH" and the flags after it, up to a canvas's " | ...".
void ReadPlace(std::istringstream& in, Shown& c) {
  std::string place, size;
  in >> place >> size;
  int left = 0, top = 0, width = 0, height = 0;
  std::sscanf(place.c_str(), "%d,%d", &left, &top);
  std::sscanf(size.c_str(), "%dx%d", &width, &height);
  c.rect = QRect(left, top, width, height);
  for (std::string flag; in >> flag && flag != "|";) {
    if (flag == "disabled") c.enabled = false;
    if (flag == "hidden") c.visible = false;
  }
}

// The windows of one shot's NAME.txt, by class name.
std::map<std::string, WindowModel> ReadModel(const fs::path& file) {
  std::map<std::string, WindowModel> windows;
  std::istringstream lines(testsupport::ReadText(file));
  WindowModel* window = nullptr;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream in(line);
    std::string kind, path;
    in >> kind >> path;
    if (kind == "window") {
      window = &windows[path];
      size_t pos = line.find('"');
      Unquote(line, pos);
      std::istringstream rest(line.substr(pos));
      Shown place;
      ReadPlace(rest, place);
      window->size = place.rect.size();
      continue;
    }
    if (!window || kind == "timer" || kind == "msgbox") continue;
    Shown c;
    c.kind = kind;
    c.line = line;
    const std::string name = path.substr(path.find('.') + 1);
    if (kind == "label" || kind == "button" || kind == "field") {
      size_t pos = line.find('"');
      c.text = Unquote(line, pos);
      in.str(line.substr(pos));
      in.clear();
    } else if (kind == "progress") {
      std::string of;
      in >> c.value >> of >> c.maximum;
    }
    ReadPlace(in, c);
    window->controls[name] = c;
  }
  return windows;
}

// What each shot must show, by window and control.
struct ShotCase {
  const char* shot;
  const char* window;
  std::vector<const char*> showing;
};

const std::vector<ShotCase>& Shots() {
  static const std::vector<const char*> update_window = {"StaticText1", "version", "Cancelbutton", "StartButton",
                                                         "Canvas1",     "Canvas2", "bar"};
  static const std::vector<ShotCase> shots = [] {
    std::vector<ShotCase> s = {
        {"1-dialog", "DeviceDialog", {"StaticText2", "StaticText1", "PushButton1", "Canvas1", "Canvas2"}},
        {"2-before", "mainWindow", update_window},
    };
    for (const char* shot : {"3-programming", "4-verifying", "5-end"}) {
      s.push_back({shot, "mainWindow", update_window});
      s.back().showing.push_back("info");
    }
    return s;
  }();
  return shots;
}

int Distance(QRgb a, QRgb b) {
  return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
}

// A pixel that differs by this much is something drawn, not a shade; a
// disabled button's caption stands out by a little more.
constexpr int kInk = 24;
// So many pixels make a text, a frame or a picture; a blank area has none.
constexpr int kShowsSomething = 20;

// Pixels of the area that stand out from the most common colour of their row:
// text and pictures, not the flat or shaded ground under them.
int Ink(const QImage& image, const QRect& area) {
  const QRect r = area & image.rect();
  int ink = 0;
  for (int y = r.top(); y <= r.bottom(); ++y) {
    std::map<QRgb, int> count;
    for (int x = r.left(); x <= r.right(); ++x) ++count[image.pixel(x, y)];
    if (count.empty()) continue;
    const QRgb common =
        std::max_element(count.begin(), count.end(), [](auto& a, auto& b) { return a.second < b.second; })->first;
    for (auto& [colour, n] : count)
      if (Distance(colour, common) > kInk) ink += n;
  }
  return ink;
}

// Where a control shows its content: a button's caption lies inside its frame.
QRect Content(const Shown& c) { return c.kind == "button" ? c.rect.adjusted(4, 3, -4, -3) : c.rect; }

// Pixels that differ between the same area of two pictures (of one size).
int Differing(const QImage& a, const QRect& ra, const QImage& b, const QRect& rb) {
  int n = 0;
  for (int y = 0; y < ra.height(); ++y)
    for (int x = 0; x < ra.width(); ++x)
      if (Distance(a.pixel(ra.left() + x, ra.top() + y), b.pixel(rb.left() + x, rb.top() + y)) > kInk) ++n;
  return n;
}

// Columns of the bar's middle row that differ from the empty bar.
int Filled(const QImage& shot, const QImage& empty, const QRect& bar) {
  const int y = bar.center().y();
  int n = 0;
  for (int x = bar.left(); x <= bar.right(); ++x)
    if (Distance(shot.pixel(x, y), empty.pixel(x, y)) > kInk) ++n;
  return n;
}

struct Picture {
  const ShotCase* shot;
  QImage image;
  WindowModel model;
};

TEST(UpdaterScreenshots, SavesWhatTheUserSees) {
  const fs::path folder = SCREENSHOTS_DIR;
  fs::remove_all(folder);
  const testsupport::Outcome run = testsupport::Run({UPDATER_SCREENSHOTS, folder.string()},
                                                    {{"QT_QPA_PLATFORM", "offscreen"}}, std::chrono::seconds(100));
  ASSERT_EQ(run.exit_code, 0) << run.out << run.err;

  std::vector<Picture> pictures;
  for (const ShotCase& shot : Shots()) {
    SCOPED_TRACE(std::string(shot.shot) + "-" + shot.window);
    const fs::path png = folder / (std::string(shot.shot) + "-" + shot.window + ".png");
    QImage image(QString::fromStdString(png.string()));
    ASSERT_FALSE(image.isNull()) << "no picture " << png;
    std::map<std::string, WindowModel> model = ReadModel(folder / (std::string(shot.shot) + ".txt"));
    ASSERT_TRUE(model.count(shot.window)) << "no " << shot.window << " in the model of " << shot.shot;
    const WindowModel& window = model[shot.window];
    ASSERT_EQ(image.size(), window.size) << "the picture holds the window's content";

    for (const char* name : shot.showing) {
      auto c = window.controls.find(name);
      if (c == window.controls.end()) {
        ADD_FAILURE() << "no control " << name;
        continue;
      }
      EXPECT_TRUE(c->second.visible) << c->second.line;
      EXPECT_GE(Ink(image, Content(c->second)), kShowsSomething) << "blank where the model shows " << c->second.line;
    }
    for (const auto& [name, c] : window.controls) {
      if (c.kind == "label" && c.visible && c.text.empty()) {
        EXPECT_EQ(Ink(image, c.rect), 0) << "something drawn where the model shows " << c.line;
      }
    }
    pictures.push_back({&shot, image.convertToFormat(QImage::Format_RGB32), window});
  }

  if (::testing::Test::HasFailure()) return;  // what follows needs every control in every shot

  // The update window from one shot to the next; the first (2-before) shows the empty bar.
  const Picture& dialog = pictures.front();
  const Picture& first = pictures.at(1);
  ASSERT_EQ(first.model.controls.at("bar").value, 0) << first.model.controls.at("bar").line;
  const Picture* before = &first;
  int filled_before = 0;
  for (size_t i = 2; i < pictures.size(); ++i) {
    const Picture& now = pictures[i];
    SCOPED_TRACE(now.shot->shot);
    const Shown& bar = now.model.controls.at("bar");
    const int filled = Filled(now.image, first.image, bar.rect);
    const double shown = double(filled) / bar.rect.width(), value = double(bar.value) / bar.maximum;
    EXPECT_NEAR(shown, value, 0.03) << filled << " of " << bar.rect.width() << " columns filled for " << bar.line;
    EXPECT_GT(filled, filled_before) << "the filled part grows: " << bar.line;
    filled_before = filled;

    for (const auto& [name, c] : now.model.controls) {
      auto old = before->model.controls.find(name);
      if (old == before->model.controls.end()) continue;
      const Shown& was = old->second;
      if (was.rect.size() != c.rect.size()) continue;  // no control here changes its size
      const int differing = Differing(before->image, was.rect, now.image, c.rect);
      const bool changed = c.text != was.text || c.enabled != was.enabled || c.value != was.value;
      if (changed) {
        EXPECT_GE(differing, kShowsSomething) << "unchanged picture from " << was.line << " to " << c.line;
      } else if (c.kind == "label" || c.kind == "canvas") {
        EXPECT_EQ(differing, 0) << "changed picture of " << c.line;
      }
    }
    before = &now;
  }

  // The dialog and the update window show the same pictures in their canvases.
  for (const char* name : {"Canvas1", "Canvas2"}) {
    const QRect in_dialog = dialog.model.controls.at(name).rect, in_window = first.model.controls.at(name).rect;
    ASSERT_EQ(in_dialog.size(), in_window.size()) << name;
    EXPECT_EQ(Differing(dialog.image, in_dialog, first.image, in_window), 0) << name << " differs";
  }
}

}  // namespace
