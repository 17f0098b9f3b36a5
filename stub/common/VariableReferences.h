#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tidewatch {

// The value of a reference's NAME (between the two "%"), or nullopt when it
// names nothing to fill in.
using ReferenceValue = std::function<std::optional<std::u16string>(std::u16string_view name)>;

// Fills in "%NAME%" references in one pass from the left: the preview's
// welcome text and every text and address of an update go through here, so
// that they read "%" alike. A "%" that opens no known reference stays as
// written and the next "%" may open one; a value filled in is not read again.
std::u16string FillReferences(std::u16string_view text, const ReferenceValue& value);

}  // namespace tidewatch
