#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tidewatch {

enum class WelcomeStatus {
  Found,
  NotAnUpdateFile,  // no Tidemark root, or the file breaks off or is malformed before the text
  NoWelcome,        // the root holds no Welcome element
};

struct WelcomeElement {
  WelcomeStatus status = WelcomeStatus::NoWelcome;
  std::u16string text;  // entity references decoded, line breaks as LF
};

// The text content of the first Welcome child of the root Tidemark of a
// server update file, as an XML parser reports it. `fileText` is the file
// already decoded (UTF-8, or ISO 8859-1 when the bytes are not valid UTF-8);
// a declaration and a byte-order mark are skipped.
WelcomeElement ExtractWelcome(std::u16string_view fileText);

// Fills in the two built-in variables, %Login% and %Platform% (exact case),
// in one pass from the left; every other %...% reference stays as it is.
std::u16string FillBuiltInVariables(std::u16string_view text, std::u16string_view login,
                                    std::u16string_view platform);

// Every line break (LF, CR LF or a lone CR) as CR LF, as an edit box shows them.
std::u16string WithCrLf(std::u16string_view text);

// What the preview window shows in its text box: the welcome text ready to
// show, or a message saying why there is none.
struct PreviewText {
  bool isWelcome = false;
  std::u16string text;
};

// `fileText` is nullopt when the update file could not be read.
PreviewText PrepareWelcome(const std::optional<std::u16string>& fileText, std::u16string_view fileName,
                           std::u16string_view login, std::u16string_view platform);

}  // namespace tidewatch
