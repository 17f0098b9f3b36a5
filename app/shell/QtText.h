#pragma once

#include <QString>

#include <string_view>

#include "text/WString.h"

namespace tidewell::app {

// The core's texts are UTF-16 code units, as QString's are: the conversion
// copies them unchanged, so every character (and every count of characters)
// survives the round trip.
inline QString ToQString(std::u16string_view text) {
  return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline WString ToWString(const QString& text) {
  return WString(reinterpret_cast<const char16_t*>(text.utf16()),
                 static_cast<size_t>(text.size()));
}

}  // namespace tidewell::app
