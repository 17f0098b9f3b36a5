#include "ApplySteps.h"

#include <algorithm>
#include <mutex>

#include "SerialWorkers.h"

namespace tidewatch::engine {

namespace {

// Where a run of steps made by several workers stands; under `lock`.
struct SharedRun {
  std::size_t next;  // the next step to start
  std::size_t end;
  std::size_t& completed;
  StepsApplied& result;
  bool failed = false;
};

// The end of the run of file replacements that starts at `first`.
std::size_t ReplacementsEnd(const std::vector<Step>& steps, std::size_t first) {
  std::size_t end = first;
  while (end < steps.size() && steps[end].kind == Step::ReplaceFile) ++end;
  return end;
}

}  // namespace

StepsApplied ApplySteps(const std::vector<Step>& steps, FileSystem& files, Registry& registry, Workers* workers,
                        const StepObserver& afterStep) {
  StepsApplied result;
  SerialWorkers serial;
  Workers& shared = workers ? *workers : serial;
  std::size_t completed = 0;
  for (std::size_t first = 0; first < steps.size();) {
    const std::size_t end = std::max(first + 1, ReplacementsEnd(steps, first));
    if (end - first == 1) {
      result.reached = end;
      if (!DoStep(steps[first], files, registry, result.failure)) {
        result.failedStep = first;
        return result;
      }
      if (afterStep) afterStep(++completed);
      first = end;
      continue;
    }
    const std::unique_ptr<Mutex> lock = shared.NewMutex();
    SharedRun run{first, end, completed, result};
    shared.Run(std::min(kConcurrentReplacements, end - first), [&] {
      while (true) {
        std::size_t index = 0;
        {
          std::lock_guard<Mutex> held(*lock);
          if (run.failed || run.next == run.end) return;
          index = run.next++;
        }
        Failure failure;
        const bool made = DoStep(steps[index], files, registry, failure);
        std::size_t done = 0;
        {
          std::lock_guard<Mutex> held(*lock);
          if (!made) {
            // With several failures the one earliest in the plan is told.
            if (!run.failed || index < run.result.failedStep) {
              run.result.failedStep = index;
              run.result.failure = failure;
            }
            run.failed = true;
            return;
          }
          done = ++run.completed;
        }
        if (afterStep) afterStep(done);
      }
    });
    result.reached = run.next;  // every step started has finished
    if (run.failed) return result;
    first = end;
  }
  result.done = true;
  return result;
}

}  // namespace tidewatch::engine
