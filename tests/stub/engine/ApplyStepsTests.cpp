#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

#include "ApplySteps.h"
#include "EngineFakes.h"
#include "Text.h"

namespace tidewatch::engine {
namespace {

using namespace testing;

Step MakeStep(Step::Kind kind, std::u16string target) {
  Step step;
  step.kind = kind;
  step.target = std::move(target);
  return step;
}

// A plan as an update makes it: a new folder, then `count` file
// replacements (old files beside the application, new ones in the folder),
// then a registry value.
struct Machine {
  explicit Machine(int count) {
    files.folders = {u"C:\\App", u"C:\\App\\~w"};
    steps.push_back(MakeStep(Step::CreateFolder, u"C:\\App\\Data"));
    for (int i = 0; i < count; ++i) {
      const std::u16string n = ToU16(std::to_string(i));
      const bool old = i % 2 == 0;
      const std::u16string target = old ? u"C:\\App\\f" + n : u"C:\\App\\Data\\f" + n;
      if (old) files.files[target] = {"v1", 1, std::nullopt};
      files.files[u"C:\\App\\~w\\new" + n] = {"v2", 2, std::nullopt};
      Step step = MakeStep(Step::ReplaceFile, target);
      step.staged = u"C:\\App\\~w\\new" + n;
      step.backup = u"C:\\App\\~w\\old" + n;
      step.existed = old;
      steps.push_back(std::move(step));
    }
    Step value = MakeStep(Step::SetValue, u"HKEY_CURRENT_USER\\Software\\App");
    value.name = u"Version";
    value.value = {1, {'2', 0, 0, 0}};
    steps.push_back(std::move(value));
  }
  std::map<std::u16string, std::string> Files() const {
    std::map<std::u16string, std::string> bytes;
    for (const auto& [path, entry] : files.files) bytes[path] = entry.bytes;
    return bytes;
  }
  FaultCounter faults;
  FakeFiles files{faults};
  FakeRegistry registry{faults};
  ThreadWorkers threads;
  std::vector<Step> steps;
};

TEST(ApplySteps, ReplacesFilesSeveralAtOnceAndTellsEveryCompletedStep) {
  Machine m(40);
  std::mutex guard;
  std::vector<std::size_t> told;
  const StepsApplied applied = ApplySteps(m.steps, m.files, m.registry, &m.threads, [&](std::size_t done) {
    std::lock_guard<std::mutex> held(guard);
    told.push_back(done);
  });
  ASSERT_TRUE(applied.done);
  EXPECT_EQ(m.threads.largest, kConcurrentReplacements);
  for (const Step& step : m.steps) {
    if (step.kind != Step::ReplaceFile) continue;
    EXPECT_EQ(m.files.files[step.target].bytes, "v2") << ToUtf8(step.target);
  }
  EXPECT_EQ(m.registry.keys[u"HKEY_CURRENT_USER\\Software\\App"].count(u"Version"), 1u);
  std::sort(told.begin(), told.end());
  ASSERT_EQ(told.size(), m.steps.size());
  for (std::size_t i = 0; i < told.size(); ++i) EXPECT_EQ(told[i], i + 1);
}

// Whatever fails, the steps from `reached` on are untouched and undoing the
// ones before it, in reverse, gives back the machine as it was.
TEST(ApplySteps, AFailureStopsTheApplyAndTellsTheFirstFailedStepOfThePlan) {
  struct Case {
    const char* name;
    std::vector<int> inUse;  // replacements whose target is in use
    bool registryFails;
    std::size_t failedStep;
  } cases[] = {
      {"one file in use", {18}, false, 19},
      {"two files in use", {30, 6}, false, 7},
      {"the last file in use", {39}, false, 40},
      {"the step after the files", {}, true, 41},
  };
  for (const bool together : {false, true}) {
    for (const auto& c : cases) {
      Machine m(40);
      for (const int i : c.inUse) m.files.inUse.insert(m.steps[i + 1].target);
      if (c.registryFails) m.faults.failAt = 1 + 40 + 20 + 1;  // the folder, 40 moves, 20 links, the value
      const auto before = m.Files();
      const StepsApplied applied = ApplySteps(m.steps, m.files, m.registry, together ? &m.threads : nullptr, {});
      ASSERT_FALSE(applied.done) << c.name;
      EXPECT_EQ(applied.failedStep, c.failedStep) << c.name << together;
      EXPECT_GT(applied.reached, applied.failedStep) << c.name;
      EXPECT_NE(applied.failure.code, 0u) << c.name;
      for (std::size_t i = applied.reached; i + 1 < m.steps.size(); ++i)
        EXPECT_TRUE(m.files.FileExists(m.steps[i].staged)) << c.name << " step " << i;
      EXPECT_TRUE(m.registry.keys.empty()) << c.name;
      for (std::size_t i = applied.reached; i-- > 0;) {
        Failure failure;
        ASSERT_TRUE(UndoStep(m.steps[i], m.files, m.registry, failure)) << c.name << " step " << i;
      }
      EXPECT_EQ(m.Files(), before) << c.name << together;
    }
  }
}

}  // namespace
}  // namespace tidewatch::engine
