#include "project/XmlEncoding.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/LargeMemory.h"
#include "text/Text.h"

namespace tidewell {

namespace {

enum class Encoding { Unstated, Utf8, Utf16Le, Utf16Be, Utf32Le, Utf32Be, Latin1, Windows1252, Ascii };

// What windows-1252 puts at 0x80..0x9F. The five bytes it leaves undefined
// keep the control character of the same number, as Windows itself reads them.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::optional<std::string> Refuse(std::string* error, std::string why) {
  if (error) *error = std::move(why);
  return std::nullopt;
}

std::string Lowered(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), [](char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
  });
  return out;
}

bool StartsWithBytes(std::string_view bytes, std::initializer_list<unsigned char> prefix) {
  if (bytes.size() < prefix.size()) return false;
  size_t i = 0;
  for (const unsigned char b : prefix)
    if (static_cast<unsigned char>(bytes[i++]) != b) return false;
  return true;
}

// The encoding a byte-order mark or the first characters "<?" give away, and
// the length of the mark.
std::pair<Encoding, size_t> SniffEncoding(std::string_view b) {
  if (StartsWithBytes(b, {0xEF, 0xBB, 0xBF})) return {Encoding::Utf8, 3};
  if (StartsWithBytes(b, {0xFF, 0xFE, 0x00, 0x00})) return {Encoding::Utf32Le, 4};
  if (StartsWithBytes(b, {0x00, 0x00, 0xFE, 0xFF})) return {Encoding::Utf32Be, 4};
  if (StartsWithBytes(b, {0xFF, 0xFE})) return {Encoding::Utf16Le, 2};
  if (StartsWithBytes(b, {0xFE, 0xFF})) return {Encoding::Utf16Be, 2};
  if (StartsWithBytes(b, {0x3C, 0x00, 0x00, 0x00})) return {Encoding::Utf32Le, 0};
  if (StartsWithBytes(b, {0x00, 0x00, 0x00, 0x3C})) return {Encoding::Utf32Be, 0};
  if (StartsWithBytes(b, {0x3C, 0x00, 0x3F, 0x00})) return {Encoding::Utf16Le, 0};
  if (StartsWithBytes(b, {0x00, 0x3C, 0x00, 0x3F})) return {Encoding::Utf16Be, 0};
  return {Encoding::Unstated, 0};
}

// The value of the encoding pseudo-attribute of a leading XML declaration,
// or nullopt when there is none.
std::optional<std::string_view> DeclaredEncoding(std::string_view text) {
  if (!text.starts_with("<?xml") || text.size() < 6 ||
      (text[5] != ' ' && text[5] != '\t' && text[5] != '\r' && text[5] != '\n'))
    return std::nullopt;
  const size_t end = text.find("?>");
  const std::string_view declaration = text.substr(0, end);
  size_t at = declaration.find("encoding");
  if (at == std::string_view::npos) return std::nullopt;
  at += 8;
  auto skipBlanks = [&] {
    while (at < declaration.size() && (declaration[at] == ' ' || declaration[at] == '\t' ||
                                       declaration[at] == '\r' || declaration[at] == '\n'))
      ++at;
  };
  skipBlanks();
  if (at >= declaration.size() || declaration[at] != '=') return std::nullopt;
  ++at;
  skipBlanks();
  if (at >= declaration.size() || (declaration[at] != '"' && declaration[at] != '\'')) {
    return std::nullopt;
  }
  const char quote = declaration[at];
  const size_t close = declaration.find(quote, at + 1);
  if (close == std::string_view::npos) return std::nullopt;
  return declaration.substr(at + 1, close - at - 1);
}

std::optional<Encoding> EncodingNamed(std::string_view name) {
  const std::string n = Lowered(name);
  for (const char* utf8 : {"utf-8", "utf8"})
    if (n == utf8) return Encoding::Utf8;
  for (const char* latin1 : {"iso-8859-1", "iso8859-1", "iso_8859-1", "iso_8859-1:1987", "latin1",
                             "latin-1", "l1", "iso-ir-100", "cp819", "ibm819", "csisolatin1"})
    if (n == latin1) return Encoding::Latin1;
  for (const char* windows : {"windows-1252", "cp1252", "x-cp1252"})
    if (n == windows) return Encoding::Windows1252;
  for (const char* ascii : {"us-ascii", "ascii", "ansi_x3.4-1968", "iso646-us", "us", "cp367",
                            "ibm367", "csascii"})
    if (n == ascii) return Encoding::Ascii;
  for (const char* utf16 : {"utf-16", "utf16", "utf-16le", "utf-16be"})
    if (n == utf16) return Encoding::Utf16Le;  // stated without its own byte order
  for (const char* utf32 : {"utf-32", "utf32", "utf-32le", "utf-32be", "ucs-4", "iso-10646-ucs-4"})
    if (n == utf32) return Encoding::Utf32Le;
  return std::nullopt;
}

// The offset of the first byte that does not belong to valid UTF-8, or the
// size when all do.
size_t FirstInvalidUtf8(std::string_view b) {
  size_t i = 0;
  while (i < b.size()) {
    const unsigned char c = static_cast<unsigned char>(b[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t length = 0;
    uint32_t min = 0;
    uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) length = 2, min = 0x80, cp = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF) length = 3, min = 0x800, cp = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4) length = 4, min = 0x10000, cp = c & 0x07;
    else return i;
    if (i + length > b.size()) return i;
    for (size_t k = 1; k < length; ++k) {
      const unsigned char t = static_cast<unsigned char>(b[i + k]);
      if ((t & 0xC0) != 0x80) return i;
      cp = (cp << 6) | (t & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return i;
    i += length;
  }
  return b.size();
}

std::optional<std::string> DecodeUtf16(std::string_view b, size_t start, bool little,
                                       std::string* error) {
  auto unit = [&](size_t at) -> uint32_t {
    const auto lo = static_cast<unsigned char>(b[at + (little ? 0 : 1)]);
    const auto hi = static_cast<unsigned char>(b[at + (little ? 1 : 0)]);
    return static_cast<uint32_t>(hi << 8 | lo);
  };
  std::string out;
  out.reserve(b.size() - start);
  for (size_t i = start; i < b.size();) {
    const auto invalid = [&] { return Refuse(error, "not valid UTF-16 at byte " + std::to_string(i)); };
    if (i + 2 > b.size()) return invalid();
    uint32_t c = unit(i);
    size_t used = 2;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 4 > b.size()) return invalid();
      const uint32_t low = unit(i + 2);
      if (low < 0xDC00 || low > 0xDFFF) return invalid();
      c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
      used = 4;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return invalid();
    }
    text::AppendUtf8(out, c);
    i += used;
  }
  return out;
}

std::optional<std::string> DecodeUtf32(std::string_view b, size_t start, bool little,
                                       std::string* error) {
  std::string out;
  out.reserve((b.size() - start) / 2);
  for (size_t i = start; i < b.size(); i += 4) {
    if (i + 4 > b.size()) return Refuse(error, "not valid UTF-32 at byte " + std::to_string(i));
    uint32_t c = 0;
    for (size_t k = 0; k < 4; ++k)
      c = (c << 8) | static_cast<unsigned char>(b[i + (little ? 3 - k : k)]);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
      return Refuse(error, "not valid UTF-32 at byte " + std::to_string(i));
    text::AppendUtf8(out, c);
  }
  return out;
}

std::string DecodeSingleByte(std::string_view b, Encoding encoding) {
  std::string out;
  out.reserve(b.size() + b.size() / 8);
  for (const char byte : b) {
    const auto c = static_cast<unsigned char>(byte);
    if (encoding == Encoding::Windows1252 && c >= 0x80 && c <= 0x9F)
      text::AppendUtf8(out, kWindows1252High[c - 0x80]);
    else
      text::AppendUtf8(out, c);
  }
  return out;
}

}  // namespace

namespace {

// What decoding makes of a file's bytes: either they stand as they are from
// `keptFrom` on (after a byte order mark), or `text` replaces them.
struct Decoding {
  std::optional<size_t> keptFrom;
  std::string text;
};

std::optional<Decoding> Replaced(std::optional<std::string> text) {
  if (!text) return std::nullopt;
  return Decoding{std::nullopt, std::move(*text)};
}

std::optional<Decoding> Kept(size_t from) { return Decoding{from, {}}; }

std::optional<Decoding> Decode(std::string_view bytes, std::string* error) {
  const auto [sniffed, markLength] = SniffEncoding(bytes);
  switch (sniffed) {
    case Encoding::Utf16Le:
    case Encoding::Utf16Be:
      return Replaced(DecodeUtf16(bytes, markLength, sniffed == Encoding::Utf16Le, error));
    case Encoding::Utf32Le:
    case Encoding::Utf32Be:
      return Replaced(DecodeUtf32(bytes, markLength, sniffed == Encoding::Utf32Le, error));
    default:
      break;
  }
  const std::string_view body = bytes.substr(markLength);
  Encoding encoding = sniffed;
  if (encoding == Encoding::Unstated) {
    if (const auto name = DeclaredEncoding(body)) {
      const std::optional<Encoding> named = EncodingNamed(*name);
      if (!named)
        return Replaced(
            Refuse(error, "the file's encoding \"" + std::string(*name) + "\" is not supported"));
      if (*named == Encoding::Utf16Le || *named == Encoding::Utf32Le)
        return Replaced(Refuse(error, "the file declares the encoding \"" + std::string(*name) +
                                          "\" but is not written in it"));
      encoding = *named;
    }
  }
  switch (encoding) {
    case Encoding::Unstated:
      if (text::IsValidUtf8(body)) return Kept(markLength);
      return Replaced(DecodeSingleByte(body, Encoding::Latin1));
    case Encoding::Utf8: {
      const size_t invalid = FirstInvalidUtf8(body);
      if (invalid != body.size())
        return Replaced(
            Refuse(error, "not valid UTF-8 at byte " + std::to_string(invalid + markLength)));
      return Kept(markLength);
    }
    case Encoding::Ascii: {
      const auto high = std::find_if(body.begin(), body.end(),
                                     [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
      if (high != body.end())
        return Replaced(
            Refuse(error, "not valid US-ASCII at byte " + std::to_string(high - body.begin())));
      return Kept(markLength);
    }
    default:
      return Replaced(DecodeSingleByte(body, encoding));
  }
}

}  // namespace

std::optional<std::string> DecodeXmlBytes(std::string_view bytes, std::string* error) {
  std::string text;
  memory::ReserveLarge(text, bytes.size());
  text.assign(bytes);
  if (!DecodeXmlBytesInPlace(text, error)) return std::nullopt;
  return text;
}

bool DecodeXmlBytesInPlace(std::string& bytes, std::string* error) {
  std::optional<Decoding> decoded = Decode(bytes, error);
  if (!decoded) return false;
  if (decoded->keptFrom)
    bytes.erase(0, *decoded->keptFrom);
  else
    bytes = std::move(decoded->text);
  return true;
}

}  // namespace tidewell
