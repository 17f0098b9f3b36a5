#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tidewell::signing {

// Lower-case hexadecimal, the only form the signing formats write and read.
std::string ToHex(std::span<const std::uint8_t> bytes);
// Exactly 2 * out.size() lower-case hexadecimal digits; anything else fails
// and leaves `out` unspecified.
bool FromHex(std::string_view text, std::span<std::uint8_t> out);

}  // namespace tidewell::signing
