#pragma once

#include <string_view>

namespace tidewell {

// The numeric value of a version text, read as the C library's wcstod reads
// a decimal number: leading white space skipped, then the longest prefix made
// of an optional sign, digits, an optional decimal point with a fraction and
// an optional exponent; 0 when there is no such prefix. So 1.10 is 1.1 (less
// than 1.9), 2.5b is 2.5 and v1.0 is 0. The decimal point is always a full
// stop, whatever the locale. A value too large for a double is infinite, one
// too small is 0.
double VersionValue(std::u16string_view text);

}  // namespace tidewell
