#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Plan.h"

namespace tidewatch::engine {

// The journal of an apply: the planned steps, written and flushed before the
// first change. One record per line, each closed by its CRC-32, then an end
// record with the number of steps. A journal whose records stop early was
// cut short while it was written, so nothing was changed yet.
std::string WriteJournal(const std::vector<Step>& steps);

struct JournalContents {
  enum Status {
    Complete,    // every step is there: undo them all
    CutShort,    // torn while written: no change was made
    Damaged,     // a record in the middle is unreadable: undo what can be read
  } status = Complete;
  std::vector<Step> steps;
};
JournalContents ReadJournal(std::string_view bytes);

}  // namespace tidewatch::engine
