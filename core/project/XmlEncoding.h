#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tidewell {

// Turns a project file's bytes into UTF-8 text, by the file's own account of
// its encoding:
// - a byte-order mark (UTF-8, UTF-16 or UTF-32, either byte order), or the
//   first characters "<?" written in UTF-16 or UTF-32 without one;
// - otherwise the encoding its XML declaration names: UTF-8, ISO-8859-1,
//   windows-1252 or US-ASCII (and their usual other names, in any case);
// - with neither, UTF-8 when the bytes are valid UTF-8, else ISO 8859-1.
// Any other declared encoding, and bytes that are not valid in the encoding
// the file states, are refused: nullopt, with `error` saying why. A leading
// byte-order mark is not part of the text answered.
std::optional<std::string> DecodeXmlBytes(std::string_view bytes, std::string* error = nullptr);
// The same, turning `bytes` into the decoded text where they stand: bytes
// that are already UTF-8 are not copied. False, with `bytes` unchanged, when
// they are refused.
bool DecodeXmlBytesInPlace(std::string& bytes, std::string* error = nullptr);

}  // namespace tidewell
