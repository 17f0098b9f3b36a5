#pragma once

#include <cstddef>
#include <vector>

#include "Plan.h"
#include "Platform.h"

namespace tidewatch::engine {

// How many file replacements an apply makes at once. Each is a few calls
// into the file system that mostly wait on it; a handful under way keeps
// the processors busy where one after another leaves them idle.
inline constexpr std::size_t kConcurrentReplacements = 4;

// How an apply ended.
struct StepsApplied {
  bool done = false;           // every step was made
  std::size_t failedStep = 0;  // not done: the first step of the plan that failed
  std::size_t reached = 0;     // not done: steps [0, reached) may have changed something
  Failure failure;             // not done: why `failedStep` failed
};

// Makes the steps of a plan in their order. A run of file replacements one
// after another is shared among the workers (nullptr: one after another):
// their targets differ, and the folders they go to exist or were made by an
// earlier step, so their order does not matter. After a failure no step
// starts; those under way finish first, so that none is left half made.
// `afterStep` (may be empty) is told the count of completed steps after each.
StepsApplied ApplySteps(const std::vector<Step>& steps, FileSystem& files, Registry& registry, Workers* workers,
                        const StepObserver& afterStep);

}  // namespace tidewatch::engine
