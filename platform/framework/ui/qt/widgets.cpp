#include "widgets.h"

#include <QCloseEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "framework/ui/application.h"
#include "framework/ui/input.h"
#include "framework/ui/label.h"
#include "framework/ui/menu.h"
#include "framework/ui/progress_bar.h"
#include "framework/ui/push_button.h"
#include "framework/ui/text_field.h"
#include "qt_text.h"

namespace framework::qt {
namespace {

QColor colour(Color c) { return QColor(int(c >> 16) & 0xFF, int(c >> 8) & 0xFF, int(c) & 0xFF); }

QRect qrect(const Rect& r) { return QRect(r.left, r.top, r.width, r.height); }

void apply_style(QWidget* w, const TextStyle& s) {
  QFont f = w->font();
  f.setBold(s.Bold);
  f.setItalic(s.Italic);
  f.setUnderline(s.Underline);
  if (s.TextSize > 0) f.setPointSizeF(s.TextSize);
  w->setFont(f);
}

void apply_text_colour(QWidget* w, Color c) {
  QPalette p = w->palette();
  p.setColor(QPalette::WindowText, colour(c));
  p.setColor(QPalette::Text, colour(c));
  w->setPalette(p);
}

Qt::Alignment alignment(int32_t align) {
  switch (align) {
    case 2:
      return Qt::AlignHCenter;
    case 3:
      return Qt::AlignRight;
    default:
      return Qt::AlignLeft;
  }
}

void sync_progress(QProgressBar* bar, const ProgressBar& p) {
  // Maximum 0 would make Qt's bar a busy indicator; the model shows it empty.
  bar->setRange(0, p.Maximum() > 0 ? p.Maximum() : 1);
  bar->setValue(p.shown_value());
}

Qt::WindowFlags frame_flags(const Window& w) {
  Qt::WindowFlags f = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (w.CloseButton()) f |= Qt::WindowCloseButtonHint;
  if (w.design().MinimizeButton) f |= Qt::WindowMinimizeButtonHint;
  if (w.design().MaximizeButton) f |= Qt::WindowMaximizeButtonHint;
  return f;
}

}  // namespace

CanvasWidget::CanvasWidget(Canvas& canvas, QColor background, QWidget* parent)
    : QWidget(parent), canvas_(&canvas), background_(background) {}

void CanvasWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  for (const DrawCommand& d : canvas_->display_list()) {
    if (d.kind == DrawCommand::Kind::EraseBackground) {
      painter.fillRect(qrect(d.dest), background_);
      continue;
    }
    const Picture& p = *d.picture;
    // Wraps the picture's pixels without a copy; the display list keeps them alive.
    QImage image(reinterpret_cast<const uchar*>(p.pixels()), p.Width(), p.Height(), p.Width() * 4,
                 QImage::Format_RGB32);
    painter.drawImage(QRectF(qrect(d.dest)), image, QRectF(qrect(d.source)));
  }
}

WindowWidget::WindowWidget(Window& window) : QWidget(nullptr, frame_flags(window)), window_(&window) {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  if (window.MenuBarVisible()) {
    menu_bar_ = new QMenuBar(this);
    layout->setMenuBar(menu_bar_);
  }
  content_ = new QWidget(this);
  layout->addWidget(content_);
  if (window.HasBackColor()) {
    QPalette p = content_->palette();
    p.setColor(QPalette::Window, colour(window.BackColor()));
    content_->setPalette(p);
    content_->setAutoFillBackground(true);
  }
  make_controls();
  rebuild_menu_bar();
  sync_window();
}

WindowWidget::~WindowWidget() = default;

void WindowWidget::make_controls() {
  for (const Window::Member& m : window_->controls()) {
    auto* c = dynamic_cast<Control*>(m.object.get());
    if (!c) continue;  // timers show nothing
    QWidget* w = make_control(*c);
    if (!w) continue;
    w->setGeometry(qrect(c->bounds()));
    w->setEnabled(c->Enabled());
    w->setVisible(c->Visible());
    widgets_[c] = w;
  }
}

QWidget* WindowWidget::make_control(Control& control) {
  if (auto* l = dynamic_cast<Label*>(&control)) {
    auto* w = new QLabel(to_qt(l->Text()), content_);
    const Label::Properties& p = l->design();
    w->setWordWrap(p.Multiline);
    w->setAlignment(alignment(p.TextAlign) | (p.Multiline ? Qt::AlignTop : Qt::AlignVCenter));
    w->setTextInteractionFlags(p.Selectable ? Qt::TextSelectableByMouse : Qt::NoTextInteraction);
    apply_text_colour(w, p.TextColor);
    apply_style(w, TextStyle::of(p));
    return w;
  }
  if (auto* b = dynamic_cast<PushButton*>(&control)) {
    auto* w = new QPushButton(to_qt(b->Caption()), content_);
    w->setAutoDefault(false);
    w->setDefault(b->Default());
    apply_style(w, TextStyle::of(b->design()));
    QObject::connect(w, &QPushButton::clicked, w, [b = Ref<PushButton>(b)] { ui::user_press(*b); });
    return w;
  }
  if (auto* p = dynamic_cast<ProgressBar*>(&control)) {
    auto* w = new QProgressBar(content_);
    w->setTextVisible(false);
    sync_progress(w, *p);
    return w;
  }
  if (auto* f = dynamic_cast<TextField*>(&control)) {
    auto* w = new QLineEdit(to_qt(f->Text()), content_);
    w->setCursorPosition(0);  // a long text shows its start, as after every text the program sets
    const TextField::Properties& p = f->design();
    w->setReadOnly(p.ReadOnly);
    w->setEchoMode(p.Password ? QLineEdit::Password : QLineEdit::Normal);
    if (p.LimitText > 0) w->setMaxLength(p.LimitText);
    w->setFrame(p.Border);
    w->setPlaceholderText(to_qt(p.CueText));
    w->setAlignment(alignment(p.Alignment));
    apply_style(w, TextStyle::of(p));
    fields_[f] = Field{w, {}};
    QObject::connect(w, &QLineEdit::textEdited, w, [this, f = Ref<TextField>(f)](const QString& text) {
      std::string typed = text.toStdString();
      fields_[f.get()].typed.push_back(typed);
      ui::user_type(*f, String(typed));
    });
    return w;
  }
  if (auto* c = dynamic_cast<Canvas*>(&control)) {
    QColor background = window_->HasBackColor() ? colour(window_->BackColor()) : palette().color(QPalette::Window);
    return new CanvasWidget(*c, background, content_);
  }
  return nullptr;
}

void WindowWidget::sync_window() {
  syncing_ = true;
  setWindowTitle(to_qt(window_->Title()));
  if (window_->Resizeable()) {
    content_->setMinimumSize(window_->MinWidth(), window_->MinHeight());
    content_->setMaximumSize(window_->MaxWidth(), window_->MaxHeight());
    int menu = menu_bar_ ? menu_bar_->sizeHint().height() : 0;
    if (content_->size() != QSize(window_->Width(), window_->Height()))
      resize(window_->Width(), window_->Height() + menu);
  } else {
    content_->setFixedSize(window_->Width(), window_->Height());
    layout()->setSizeConstraint(QLayout::SetFixedSize);
  }
  if (pos() != QPoint(window_->Left(), window_->Top())) move(window_->Left(), window_->Top());
  syncing_ = false;
}

void WindowWidget::sync_control(Control& control, ControlChange what) {
  auto it = widgets_.find(&control);
  if (it == widgets_.end()) return;
  QWidget* w = it->second;
  switch (what) {
    case ControlChange::Bounds:
      w->setGeometry(qrect(control.bounds()));
      break;
    case ControlChange::Enabled:
      w->setEnabled(control.Enabled());
      break;
    case ControlChange::Visible:
      w->setVisible(control.Visible());
      break;
    case ControlChange::Value:
      if (auto* p = dynamic_cast<ProgressBar*>(&control)) sync_progress(static_cast<QProgressBar*>(w), *p);
      break;
    case ControlChange::Painted:
      w->repaint();  // Refresh draws at once
      break;
    case ControlChange::Text:
      if (auto* l = dynamic_cast<Label*>(&control)) {
        static_cast<QLabel*>(w)->setText(to_qt(l->Text()));
      } else if (auto* b = dynamic_cast<PushButton*>(&control)) {
        static_cast<QPushButton*>(w)->setText(to_qt(b->Caption()));
      } else if (auto* f = dynamic_cast<TextField*>(&control)) {
        Field& field = fields_[f];
        std::string now = f->Text().utf8();
        // The model catching up with what the user typed leaves the field alone.
        while (!field.typed.empty()) {
          bool same = field.typed.front() == now;
          field.typed.pop_front();
          if (same) return;
        }
        if (field.edit->text().toStdString() != now) {
          // Shown from its start: setText leaves the cursor, and so the view, at the end.
          field.edit->setText(to_qt(f->Text()));
          field.edit->setCursorPosition(0);
        }
      }
      break;
  }
}

void WindowWidget::rebuild_menu_bar() {
  if (!menu_bar_) return;
  menu_bar_->clear();
  if (!app() || !app()->MenuBar()) return;
  for (const Ref<MenuItem>& top : app()->MenuBar()->children()) {
    QMenu* menu = menu_bar_->addMenu(to_qt(top->Text()));
    menu->setEnabled(top->Enabled());
    for (const Ref<MenuItem>& item : top->children()) {
      if (item->is_separator()) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(to_qt(item->Text()));
      if (!item->KeyboardShortcut().empty())
        action->setShortcut(QKeySequence(QString::fromStdString(platform_shortcut(item->KeyboardShortcut().utf8()))));
      action->setEnabled(item->Enabled());
      QObject::connect(action, &QAction::triggered, action, [item] { ui::user_choose(*item); });
    }
  }
}

void WindowWidget::closeEvent(QCloseEvent* event) {
  // The model decides; a window goes when the model closes it.
  event->ignore();
  if (window_->CloseButton()) ui::user_close(*window_);
}

void WindowWidget::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      ui::user_key(*window_, "Return");
      return;
    case Qt::Key_Escape:
      ui::user_key(*window_, "Escape");
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

void WindowWidget::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (syncing_ || !event->spontaneous()) return;
  if (x() != window_->Left() || y() != window_->Top()) ui::user_move(*window_, x(), y());
}

void WindowWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (syncing_ || !event->spontaneous()) return;
  int menu = menu_bar_ ? menu_bar_->sizeHint().height() : 0;
  int width = event->size().width();
  int height = event->size().height() - menu;
  if (width != window_->Width() || height != window_->Height()) ui::user_resize(*window_, width, height);
}

}  // namespace framework::qt
