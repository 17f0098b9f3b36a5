#include "ApplySteps.h"

#include <algorithm>
#include <mutex>

#include "SerialWorkers.h"

namespace tidewatch::engine {

namespace {

// The end of the run of steps that starts at `first`: the file replacements
// that follow one another, or the one step that is not a replacement.
std::size_t RunEnd(const std::vector<Step>& steps, std::size_t first) {
  std::size_t end = first;
  while (end < steps.size() && steps[end].kind == Step::ReplaceFile) ++end;
  return std::max(end, first + 1);
}

}  // namespace

StepsApplied ApplySteps(const std::vector<Step>& steps, FileSystem& files, Registry& registry, Workers* workers,
                        const StepObserver& afterStep) {
  StepsApplied result;
  SerialWorkers serial;
  Workers& shared = workers ? *workers : serial;
  const std::unique_ptr<Mutex> lock = shared.NewMutex();  // over the state below
  std::size_t completed = 0;
  bool failed = false;
  for (std::size_t first = 0; first < steps.size() && !failed;) {
    const std::size_t end = RunEnd(steps, first);
    std::size_t next = first;  // the next step of the run to start
    shared.Run(std::min(kConcurrentReplacements, end - first), [&] {
      while (true) {
        std::size_t index = 0;
        {
          std::lock_guard<Mutex> held(*lock);
          if (failed || next == end) return;
          index = next++;
        }
        Failure failure;
        const bool made = DoStep(steps[index], files, registry, failure);
        std::size_t done = 0;
        {
          std::lock_guard<Mutex> held(*lock);
          if (!made) {
            // With several failures the one earliest in the plan is told.
            if (!failed || index < result.failedStep) {
              result.failedStep = index;
              result.failure = failure;
            }
            failed = true;
            return;
          }
          done = ++completed;
        }
        if (afterStep) afterStep(done);
      }
    });
    result.reached = next;  // every step started has finished
    first = end;
  }
  result.done = !failed;
  return result;
}

}  // namespace tidewatch::engine
