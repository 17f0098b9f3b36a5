#include "RegistryData.h"

namespace tidewatch::engine {

namespace {

constexpr std::uint32_t kRegSz = 1, kRegExpandSz = 2, kRegBinary = 3, kRegDword = 4, kRegMultiSz = 7;

void AppendUtf16(std::vector<std::uint8_t>& data, std::u16string_view text) {
  for (const char16_t c : text) {
    data.push_back(static_cast<std::uint8_t>(c & 0xFF));
    data.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  data.push_back(0);
  data.push_back(0);
}

}  // namespace

RegistryValue StringValue(std::u16string_view text) {
  RegistryValue value{kRegSz, {}};
  AppendUtf16(value.data, text);
  return value;
}

std::optional<RegistryValue> ParseRegistryData(std::u16string_view type, std::u16string_view data) {
  RegistryValue value;
  if (type == u"REG_SZ" || type == u"REG_EXPAND_SZ") {
    value.type = type == u"REG_SZ" ? kRegSz : kRegExpandSz;
    AppendUtf16(value.data, data);
  } else if (type == u"REG_MULTI_SZ") {
    value.type = kRegMultiSz;
    size_t start = 0;
    while (true) {
      const size_t cut = data.find(u"\\0", start);
      AppendUtf16(value.data, data.substr(start, cut - start));
      if (cut == std::u16string_view::npos) break;
      start = cut + 2;
    }
    value.data.push_back(0);
    value.data.push_back(0);
  } else if (type == u"REG_DWORD") {
    value.type = kRegDword;
    std::u16string_view digits = data;
    while (!digits.empty() && digits.front() == u' ') digits.remove_prefix(1);
    while (!digits.empty() && digits.back() == u' ') digits.remove_suffix(1);
    unsigned base = 10;
    if (digits.starts_with(u"0x") || digits.starts_with(u"0X")) {
      base = 16;
      digits.remove_prefix(2);
    }
    if (digits.empty()) return std::nullopt;
    std::uint64_t n = 0;
    for (const char16_t c : digits) {
      unsigned d;
      if (c >= u'0' && c <= u'9') d = c - u'0';
      else if (base == 16 && c >= u'a' && c <= u'f') d = c - u'a' + 10;
      else if (base == 16 && c >= u'A' && c <= u'F') d = c - u'A' + 10;
      else return std::nullopt;
      n = n * base + d;
      if (n > 0xFFFFFFFFull) return std::nullopt;
    }
    for (int i = 0; i < 4; ++i) value.data.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
  } else if (type == u"REG_BINARY") {
    value.type = kRegBinary;
    int half = -1;
    for (const char16_t c : data) {
      int d;
      if (c == u' ' || c == u',') continue;
      if (c >= u'0' && c <= u'9') d = c - u'0';
      else if (c >= u'a' && c <= u'f') d = c - u'a' + 10;
      else if (c >= u'A' && c <= u'F') d = c - u'A' + 10;
      else return std::nullopt;
      if (half < 0) {
        half = d;
      } else {
        value.data.push_back(static_cast<std::uint8_t>(half * 16 + d));
        half = -1;
      }
    }
    if (half >= 0) return std::nullopt;
  } else {
    return std::nullopt;
  }
  return value;
}

}  // namespace tidewatch::engine
