#pragma once
// Framework text as Qt text.

#include <QString>

#include <string>

#include "framework/string.h"

namespace framework::qt {

inline QString to_qt(const String& s) {
  std::string utf8 = s.utf8();
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace framework::qt
