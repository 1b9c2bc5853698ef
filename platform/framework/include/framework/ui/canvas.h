#pragma once
// Canvas: an area its Paint handler draws.
//
// Paint runs as a framework event: when the window is shown, when the canvas
// changes size, after Invalidate, and at once on Refresh. Before Paint, a
// canvas with EraseBackground True records an erase of its whole area. The
// display list of the last Paint is what the canvas shows; the backend only
// renders it and never asks the application to paint.

#include <functional>
#include <vector>

#include "framework/ui/control.h"
#include "framework/ui/graphics.h"

namespace framework {

class Canvas : public Control {
 public:
  static const ClassRecord& class_record();  // "Canvas"

  struct Properties {
    FRAMEWORK_CONTROL_PROPERTIES
    bool UseFocusRing = true;
    bool AcceptFocus = false;
    bool AcceptTabs = false;
    bool DoubleBuffer = false;
    bool EraseBackground = true;
  };

  using PaintHandler = std::function<void(Canvas&, Graphics&, const std::vector<Rect>& areas)>;

  Canvas() = default;

  const Properties& design() const { return p_; }
  void set_Paint(PaintHandler handler) { paint_ = std::move(handler); }
  void set_Open(std::function<void(Canvas&)> handler) { set_open_handler(bind_self(*this, std::move(handler))); }

  // Raises Paint for the whole canvas now, erasing first when asked.
  void Refresh(bool erase_background = true);
  // Raises Paint now for one area of the canvas (the handler may still draw
  // anywhere).
  void RefreshRect(int32_t x, int32_t y, int32_t width, int32_t height, bool erase_background = true);
  // Asks for a Paint of the whole canvas as a framework event.
  void Invalidate(bool erase_background = true);

  // What the last Paint drew; empty before the first.
  const DisplayList& display_list() const { return display_list_; }
  // The areas the last Paint was raised for.
  const std::vector<Rect>& painted_areas() const { return painted_areas_; }
  // Number of Paint events raised so far.
  int paint_count() const { return paint_count_; }

 private:
  friend class Window;
  void apply(const Properties& p) { p_ = p; }
  void resized() override { Invalidate(); }
  void paint(std::vector<Rect> areas, bool erase);

  Properties p_;
  PaintHandler paint_;
  DisplayList display_list_;
  std::vector<Rect> painted_areas_;
  int paint_count_ = 0;
  bool paint_posted_ = false;
};

}  // namespace framework
