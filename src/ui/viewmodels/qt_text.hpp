#pragma once

#include <QString>
#include <string_view>

namespace orvane {

// The core's UTF-8 text as QML reads it.
inline QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace orvane
