#include "build/VersionValue.h"

#include <charconv>
#include <limits>
#include <string>

namespace tidewell {

namespace {

bool IsSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r';
}
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

}  // namespace

double VersionValue(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;

  // The prefix is copied as ASCII for the conversion.
  std::string number;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
    negative = text[i] == u'-';
    ++i;
  }
  size_t integerDigits = 0, significantIntegerDigits = 0, fractionDigits = 0;
  long long leadingFractionZeros = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (significantIntegerDigits > 0 || text[i] != u'0') ++significantIntegerDigits;
    ++integerDigits;
    number.push_back(static_cast<char>(text[i]));
  }
  if (i < text.size() && text[i] == u'.') {
    size_t j = i + 1;
    std::string fraction;
    for (; j < text.size() && IsDigit(text[j]); ++j) fraction.push_back(static_cast<char>(text[j]));
    // A lone point without digits on either side is no number; "1." is 1.
    if (integerDigits > 0 || !fraction.empty()) {
      if (integerDigits == 0) number = "0";
      if (!fraction.empty()) number += "." + fraction;
      const size_t firstSignificant = fraction.find_first_not_of('0');
      if (firstSignificant != std::string::npos)
        leadingFractionZeros = static_cast<long long>(firstSignificant);
      fractionDigits = fraction.size();
      i = j;
    }
  }
  if (integerDigits == 0 && fractionDigits == 0) return 0.0;

  long long exponent = 0;
  if (i < text.size() && (text[i] == u'e' || text[i] == u'E')) {
    size_t j = i + 1;
    std::string digits;
    bool negativeExponent = false;
    if (j < text.size() && (text[j] == u'+' || text[j] == u'-')) {
      negativeExponent = text[j] == u'-';
      ++j;
    }
    bool anyDigit = false;
    for (; j < text.size() && IsDigit(text[j]); ++j) {
      anyDigit = true;
      if (digits.empty() && text[j] == u'0') continue;  // leading zeros carry no weight
      if (digits.size() < 9) digits.push_back(static_cast<char>(text[j]));
      else digits = "999999999";  // far beyond any double: the value saturates
    }
    if (anyDigit) {  // "1e" is 1 followed by other text
      exponent = digits.empty() ? 0 : std::stoll(digits) * (negativeExponent ? -1 : 1);
      number += "e" + std::to_string(exponent);
    }
  }

  double value = 0.0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  (void)end;
  if (error == std::errc::result_out_of_range) {
    // The decimal position of the first significant digit, moved by the
    // exponent, tells too large from too small.
    const long long lead = significantIntegerDigits > 0
                               ? static_cast<long long>(significantIntegerDigits)
                               : -leadingFractionZeros;
    const long long magnitude = lead + exponent;
    value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (error != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

}  // namespace tidewell
