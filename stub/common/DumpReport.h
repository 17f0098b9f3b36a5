#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ByteReader.h"
#include "WelcomeText.h"

namespace tidewatch {

// The client's own resources as the loader found them; nullopt for a
// resource that is not there.
struct ClientResourceBytes {
  std::optional<ByteReader> stringBlock;
  std::optional<ByteReader> topPicture;
  std::optional<ByteReader> mainPicture;
  std::optional<ByteReader> largeIcon;
  std::optional<ByteReader> smallIcon;
};

// A text in double quotation marks on one line: backslash, quotation mark,
// CR, LF and TAB escaped as \\ \" \r \n \t, other control characters as \xHH.
std::u16string QuoteForReport(std::u16string_view text);

// The --dump report, one line per item, each ending in LF (stub/README.md).
std::u16string FormatResourceReport(const ClientResourceBytes& resources);

// The --dump-welcome report: the login name, the platform description and
// the text the preview window shows (or the message it shows instead).
std::u16string FormatWelcomeReport(std::u16string_view login, std::u16string_view platform,
                                const PreviewText& preview);

}  // namespace tidewatch
