#pragma once

namespace tidewell {

class Preferences;

// Whether the project dialog opens at start-up: the stored "AutoShowLoad"
// value. Shown when the value is missing, unreadable or not 0.
bool ReadAutoShowLoad(const Preferences& preferences);
// Stores 1 or 0; a refused write is ignored.
void WriteAutoShowLoad(Preferences& preferences, bool show);

}  // namespace tidewell
