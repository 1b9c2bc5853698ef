#include <QApplication>
#include <QMessageBox>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>

#include "framework/ui/desktop.h"
#include "framework/ui/input.h"
#include "framework/ui/msgbox.h"
#include "framework/ui/qt.h"
#include "qt_font.h"
#include "qt_text.h"
#include "qt_waiter.h"
#include "widgets.h"

namespace framework::qt {
namespace {

bool set(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

class QtBackend final : public ui::Backend {
 public:
  QtBackend() {
    static int argc = 1;
    static char name[] = "updater";
    static char* argv[] = {name, nullptr};
    app_ = std::make_unique<QApplication>(argc, argv);
    QApplication::setFont(system_font());
    QApplication::setQuitOnLastWindowClosed(false);
    if (set("FRAMEWORK_SCREENSHOTS")) shots_ = std::filesystem::path(std::getenv("FRAMEWORK_SCREENSHOTS"));
  }

  ~QtBackend() override {
    windows_.clear();
    for (auto& [box, widget] : boxes_) delete widget;
    boxes_.clear();
    app_.reset();
  }

  std::unique_ptr<IdleWaiter> make_idle_waiter() override { return std::make_unique<QtWaiter>(); }

  void window_shown(Window& window) override {
    WindowWidget& w = widget(window);
    w.show();
    w.raise();
    w.activateWindow();
  }

  void window_hidden(Window& window) override {
    if (auto it = windows_.find(&window); it != windows_.end()) it->second->hide();
  }

  void window_changed(Window& window) override {
    if (auto it = windows_.find(&window); it != windows_.end()) it->second->sync_window();
  }

  void window_closed(Window& window) override { windows_.erase(&window); }

  void control_changed(Control& control, ControlChange what) override {
    if (auto it = windows_.find(&control.window()); it != windows_.end()) it->second->sync_control(control, what);
  }

  void message_box_opened(MessageBox& box) override {
    auto* widget = new QMessageBox(QMessageBox::NoIcon, QString(), to_qt(box.Text()), QMessageBox::Ok);
    widget->setWindowModality(Qt::ApplicationModal);
    QObject::connect(widget, &QMessageBox::finished, widget, [b = Ref<MessageBox>(&box)] { ui::user_dismiss(*b); });
    widget->show();
    boxes_[&box] = widget;
  }

  void message_box_closed(MessageBox& box) override {
    auto it = boxes_.find(&box);
    if (it == boxes_.end()) return;
    QMessageBox* widget = it->second;
    boxes_.erase(it);
    // Not inside any of its signals here: the model closes boxes from its own loop.
    delete widget;
  }

  void menu_bar_changed() override {
    for (auto& [window, widget] : windows_) widget->rebuild_menu_bar();
  }

  bool screenshot(const std::string& name) override {
    if (!shots_) return false;
    std::error_code ec;
    std::filesystem::create_directories(*shots_, ec);
    std::map<std::string, int> seen;
    bool saved = false;
    for (const Ref<Window>& window : ui::open_windows()) {
      auto it = windows_.find(window.get());
      if (!window->Visible() || it == windows_.end()) continue;
      std::string file = name + "-" + window->ClassName();
      if (int n = ++seen[window->ClassName()]; n > 1) file += "-" + std::to_string(n);
      std::filesystem::path path = *shots_ / (file + ".png");
      if (it->second->content()->grab().save(QString::fromStdString(path.string()), "PNG")) {
        saved = true;
      } else {
        std::cerr << "screenshot: cannot write " << path << "\n";
      }
    }
    return saved;
  }

  void stopping() override { screenshot("quit"); }

 private:
  WindowWidget& widget(Window& window) {
    auto it = windows_.find(&window);
    if (it == windows_.end()) it = windows_.emplace(&window, std::make_unique<WindowWidget>(window)).first;
    return *it->second;
  }

  std::unique_ptr<QApplication> app_;
  std::map<const Window*, std::unique_ptr<WindowWidget>> windows_;
  std::map<const MessageBox*, QMessageBox*> boxes_;
  std::optional<std::filesystem::path> shots_;
};

}  // namespace

std::unique_ptr<ui::Backend> make_backend() {
  if (!set("DISPLAY") && !set("WAYLAND_DISPLAY") && !set("QT_QPA_PLATFORM")) {
    std::cerr << "FRAMEWORK_UI=qt: no display; set DISPLAY, or QT_QPA_PLATFORM=offscreen\n";
    return nullptr;
  }
  return std::make_unique<QtBackend>();
}

}  // namespace framework::qt

// What the framework looks up when it loads the module.
extern "C" framework::ui::Backend* framework_ui_qt_make_backend() { return framework::qt::make_backend().release(); }
