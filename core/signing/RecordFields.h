#pragma once

#include <charconv>
#include <cstdint>
#include <string_view>

namespace tidewell::signing {

// The fields of the signing formats' records.

// Decimal without sign or leading zeros, within 64 bits.
inline bool ParseSize(std::string_view text, std::uint64_t& size) {
  if (text.empty() || text.size() > 20 || (text.size() > 1 && text[0] == '0')) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), size);
  return ec == std::errc() && end == text.data() + text.size();
}

// Splits off the next blank-separated field; the last field of a line is
// taken by the caller as the rest.
inline bool NextField(std::string_view& rest, std::string_view& field) {
  const std::size_t blank = rest.find(' ');
  if (blank == std::string_view::npos || blank == 0) return false;
  field = rest.substr(0, blank);
  rest.remove_prefix(blank + 1);
  return true;
}

}  // namespace tidewell::signing
