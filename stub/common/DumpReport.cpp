#include "DumpReport.h"

#include "ClientResourceIds.h"
#include "ImageHeaders.h"
#include "StringBlock.h"

namespace tidewatch {

namespace {

std::u16string Number(uint64_t value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string Size(int32_t width, int32_t height) {
  return Number(static_cast<uint64_t>(width)) + u" x " + Number(static_cast<uint64_t>(height));
}

std::u16string Bytes(const ByteReader& bytes) { return Number(bytes.Size()) + u" bytes"; }

// One line for a bitmap or an icon image: its size from its header and its
// byte count, or why there is none.
struct ImageKind {
  std::u16string_view name;
  std::u16string_view unreadable;
  std::u16string_view incomplete;
  std::optional<ImageSize> (*size)(ByteReader);
  bool (*complete)(ByteReader);
};

std::optional<ImageSize> BitmapSize(ByteReader bytes) {
  const auto header = ReadDibHeader(bytes);
  if (!header) return std::nullopt;
  return ImageSize{header->width, header->height};
}

bool IsDrawableBitmap(ByteReader bytes) { return ReadDrawableDib(bytes).has_value(); }

constexpr ImageKind kBitmap{u"bitmap", u"not a bitmap", u"not drawable", BitmapSize, IsDrawableBitmap};
constexpr ImageKind kIcon{u"icon", u"not an icon image", u"incomplete", ReadIconImageSize, IsCompleteIconImage};

std::u16string ImageLine(const ImageKind& kind, int id, const std::optional<ByteReader>& bytes) {
  std::u16string line = std::u16string(kind.name) + u" " + Number(static_cast<uint64_t>(id)) + u": ";
  if (!bytes) return line + u"missing\n";
  const auto size = kind.size(*bytes);
  if (!size) return line + std::u16string(kind.unreadable) + u", " + Bytes(*bytes) + u"\n";
  line += Size(size->width, size->height) + u", " + Bytes(*bytes);
  if (!kind.complete(*bytes)) line += u", " + std::u16string(kind.incomplete);
  return line + u"\n";
}

}  // namespace

std::u16string QuoteForReport(std::u16string_view text) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  std::u16string quoted = u"\"";
  quoted.reserve(text.size() + 2);
  for (const char16_t c : text) {
    switch (c) {
      case u'\\': quoted += u"\\\\"; break;
      case u'"': quoted += u"\\\""; break;
      case u'\r': quoted += u"\\r"; break;
      case u'\n': quoted += u"\\n"; break;
      case u'\t': quoted += u"\\t"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          quoted += u"\\x";
          quoted += kHex[c >> 4];
          quoted += kHex[c & 0xF];
        } else {
          quoted += c;
        }
    }
  }
  return quoted + u"\"";
}

std::u16string FormatResourceReport(const ClientResourceBytes& resources) {
  std::u16string report;
  StringBlock strings;
  if (resources.stringBlock) strings = ParseStringBlock(*resources.stringBlock);
  for (int i = 0; i < TIDEWATCH_STRING_COUNT; ++i) {
    report += u"string " + Number(static_cast<uint64_t>(i)) + u": ";
    report += strings[static_cast<size_t>(i)] ? QuoteForReport(*strings[static_cast<size_t>(i)]) : u"missing";
    report += u"\n";
  }
  report += ImageLine(kBitmap, TIDEWATCH_BITMAP_TOP, resources.topPicture);
  report += ImageLine(kBitmap, TIDEWATCH_BITMAP_MAIN, resources.mainPicture);
  report += ImageLine(kIcon, TIDEWATCH_ICON_LARGE, resources.largeIcon);
  report += ImageLine(kIcon, TIDEWATCH_ICON_SMALL, resources.smallIcon);
  return report;
}

std::u16string FormatWelcomeReport(std::u16string_view login, std::u16string_view platform,
                                   const PreviewText& preview) {
  std::u16string report = u"login: " + QuoteForReport(login) + u"\n";
  report += u"platform: " + QuoteForReport(platform) + u"\n";
  report += (preview.isWelcome ? u"welcome: " : u"message: ") + QuoteForReport(preview.text) + u"\n";
  return report;
}

}  // namespace tidewatch
