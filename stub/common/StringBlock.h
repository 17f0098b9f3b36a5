#pragma once

#include <array>
#include <optional>
#include <string>

#include "ByteReader.h"
#include "ClientResourceIds.h"

namespace tidewatch {

// The sixteen strings of one string-table block. A string the block's bytes
// do not fully hold (a short or empty resource) is nullopt, as are all that
// follow it.
using StringBlock = std::array<std::optional<std::u16string>, TIDEWATCH_STRING_COUNT>;

// Reads the platform's string-table layout: per string a 16-bit count of
// UTF-16 code units, then exactly that many code units, no terminator.
StringBlock ParseStringBlock(ByteReader block);

}  // namespace tidewatch
