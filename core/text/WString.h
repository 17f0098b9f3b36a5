#pragma once

#include <string>

namespace tidewell {

// All texts, paths and XML text in memory. Lengths and limits count UTF-16
// code units, the "characters" of the stored formats.
using WString = std::u16string;

}  // namespace tidewell
