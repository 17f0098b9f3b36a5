#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tidewell::signing {

// Lower-case hexadecimal, the only form the signing formats write and read.
std::string ToHex(std::span<const std::uint8_t> bytes);
// Exactly 2 * out.size() lower-case hexadecimal digits; anything else fails
// and leaves `out` unspecified.
bool FromHex(std::string_view text, std::span<std::uint8_t> out);
// Any even number of lower-case hexadecimal digits; nullopt otherwise.
std::optional<std::vector<std::uint8_t>> BytesFromHex(std::string_view text);

}  // namespace tidewell::signing
