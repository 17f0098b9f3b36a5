#pragma once

namespace tidewell {

// How a command ended: done, refused by a rule (its message shown), or failed
// (its error shown).
enum class CommandOutcome { Done, Refused, Failed };

}  // namespace tidewell
