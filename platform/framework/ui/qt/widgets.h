#pragma once
// Qt widgets that mirror one framework window and its controls.

#include <QWidget>

#include <deque>
#include <map>
#include <string>

#include "framework/ui/canvas.h"
#include "framework/ui/window.h"

class QMenuBar;
class QLineEdit;

namespace framework::qt {

// Renders a canvas's display list.
class CanvasWidget final : public QWidget {
 public:
  CanvasWidget(Canvas& canvas, QColor background, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent*) override;

 private:
  Ref<Canvas> canvas_;
  QColor background_;
};

// A top-level window: the menu bar above a content area of the framework
// window's size, holding one widget per control.
class WindowWidget final : public QWidget {
 public:
  explicit WindowWidget(Window& window);
  ~WindowWidget() override;

  Window& window() const { return *window_; }
  QWidget* content() const { return content_; }

  // Brings title, place, size and every control in line with the model.
  void sync_window();
  void sync_control(Control& control, ControlChange what);
  void rebuild_menu_bar();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Field {
    QLineEdit* edit;
    std::deque<std::string> typed;  // sent to the model, not seen back yet
  };

  void make_controls();
  QWidget* make_control(Control& control);

  Ref<Window> window_;
  QWidget* content_;
  QMenuBar* menu_bar_ = nullptr;
  std::map<const Control*, QWidget*> widgets_;
  std::map<const Control*, Field> fields_;
  bool syncing_ = false;  // our own moves and resizes are no user's
};

}  // namespace framework::qt
