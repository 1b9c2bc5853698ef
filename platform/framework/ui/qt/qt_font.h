#pragma once
// The system font of every window and message box. The windows' controls are
// small (a label of 256 x 20 holds "Installing new firmware... Do not
// disconnect." on one line), so the font is fixed rather than left to the
// desktop: Liberation Sans at 12 pixels, from Debian's fonts-liberation2,
// which scripts/setup installs; fontconfig finds it, also on the offscreen
// platform.

#include <QFont>
#include <QString>

namespace framework::qt {

inline QFont system_font() {
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(12);
  return font;
}

}  // namespace framework::qt
