#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Platform.h"

// When the client checks for an update, and which update version it no
// longer offers.
namespace tidewatch::engine {

// The client's check schedule, string 8: "n r". n: check on every n-th start
// (1: every start); r = 1: a cancelled update version is recorded and not
// offered again ("Wait for next version"), r = 0: it is offered again.
struct CheckSchedule {
  std::uint32_t everyNthStart = 1;
  bool waitForNextVersion = false;
};

// Reads "n r" as the tool writes it. A missing or unreadable number, or n
// below 1, reads as a check on every start; r other than 0 or 1 as 0.
CheckSchedule ReadCheckSchedule(std::u16string_view text);

// What one start of the client does about checking.
struct StartDecision {
  bool check = false;
  // The start count to store (value `Starts`), or nullopt to leave it alone.
  std::optional<std::uint32_t> startsToStore;
};

// `argument`: the first word of the command line; `checkNowTag`: string 11;
// `storedStarts`: the value `Starts` (nullopt when absent or not a DWORD).
// The check-now tag checks at once and leaves the count alone. Otherwise the
// start is counted and every n-th start checks; the count starts over after
// a check, and a count at or above n (the schedule was changed to check
// more often) checks at once.
StartDecision DecideStart(std::u16string_view argument, std::u16string_view checkNowTag,
                          const CheckSchedule& schedule, std::optional<std::uint32_t> storedStarts);

// True when `updateVersion` is the declined version or orders before it, so
// that only a later version is offered.
bool IsDeclined(std::u16string_view updateVersion, std::u16string_view declinedVersion);

// The value `Starts` of the client's state key, and its writing.
std::optional<std::uint32_t> ReadStarts(Registry& registry, const std::u16string& stateKey);
bool WriteStarts(Registry& registry, const std::u16string& stateKey, std::uint32_t starts, Failure& failure);

}  // namespace tidewatch::engine
