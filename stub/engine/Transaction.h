#pragma once

#include <string>
#include <vector>

#include "Plan.h"
#include "Platform.h"

// The apply as one transaction: the journal of the planned steps is written
// and flushed before the first change, the steps are made, and removing the
// journal commits them; any failure undoes every step that started, and a
// journal found at the next start is undone before anything else.
namespace tidewatch::engine {

struct UpdateServices;

// <ApplicationDir>\~tidewell\journal
std::u16string JournalPath(const Places& places);

// A step in words, for the log and the error shown.
std::string StepText(const Step& step);

// Applies `steps` as one transaction. On failure the error is logged and
// returned in `error`, and the steps are undone (the journal stays when the
// undo could not finish, for the next start).
bool ApplyTransaction(const std::vector<Step>& steps, const UpdateServices& services, std::string& error);

// Undoes steps in reverse order; every step is tried even after one fails.
bool UndoSteps(const std::vector<Step>& steps, const UpdateServices& services);

}  // namespace tidewatch::engine
