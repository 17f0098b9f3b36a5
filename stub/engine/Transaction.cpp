#include "Transaction.h"

#include "ApplySteps.h"
#include "Journal.h"
#include "TargetPaths.h"
#include "Text.h"
#include "UpdateRun.h"
#include "WholeFiles.h"

namespace tidewatch::engine {

namespace {

// A journal lists a few hundred bytes a step; this leaves room for far more
// files than an update carries, and keeps a damaged one from filling memory.
constexpr std::uint64_t kMaxJournal = 512u << 20;

void LogError(Log& log, const std::string& what) { log.Line("error: " + what); }

void UndoStarted(const std::vector<Step>& steps, std::size_t count, const UpdateServices& services) {
  const bool undone =
      UndoSteps(std::vector<Step>(steps.begin(), steps.begin() + static_cast<long>(count)), services);
  Failure ignored;
  if (undone) services.files.RemoveFile(JournalPath(services.places), ignored);
}

}  // namespace

std::u16string JournalPath(const Places& places) { return JoinPath(WorkFolder(places), u"journal"); }

std::string StepText(const Step& step) {
  switch (step.kind) {
    case Step::CreateFolder: return "making the folder " + ToUtf8(step.target);
    case Step::ReplaceFile: return "replacing " + ToUtf8(step.target);
    case Step::SetValue: return "setting the registry value " + ToUtf8(step.target) + "\\" + ToUtf8(step.name);
    case Step::DeleteValue: return "deleting the registry value " + ToUtf8(step.target) + "\\" + ToUtf8(step.name);
    case Step::CreateKey: return "creating the registry key " + ToUtf8(step.target);
    case Step::DeleteKey: return "removing the registry key " + ToUtf8(step.target);
  }
  return {};
}

bool ApplyTransaction(const std::vector<Step>& steps, const UpdateServices& services, std::string& error) {
  Failure failure;
  const std::u16string journal = JournalPath(services.places);
  if (!WriteWholeFile(services.files, journal, WriteJournal(steps), failure)) {
    Failure ignored;
    services.files.RemoveFile(journal, ignored);
    error = "could not write the journal " + ToUtf8(journal) + ": " + Described(failure);
    LogError(services.log, error);
    return false;
  }
  services.log.Line("applying " + std::to_string(steps.size()) + " step(s)");
  const StepsApplied applied =
      ApplySteps(steps, services.files, services.registry, services.workers, services.afterStep);
  if (!applied.done) {
    error = StepText(steps[applied.failedStep]) + " failed: " + Described(applied.failure);
    LogError(services.log, error);
    UndoStarted(steps, applied.reached, services);
    return false;
  }
  if (!services.files.RemoveFile(journal, failure)) {
    error = "could not remove the journal " + ToUtf8(journal) + ": " + Described(failure);
    LogError(services.log, error);
    UndoStarted(steps, steps.size(), services);
    return false;
  }
  return true;
}

bool UndoSteps(const std::vector<Step>& steps, const UpdateServices& services) {
  bool all = true;
  for (std::size_t i = steps.size(); i-- > 0;) {
    Failure failure;
    if (!UndoStep(steps[i], services.files, services.registry, failure)) {
      all = false;
      LogError(services.log, "undoing " + StepText(steps[i]) + " failed: " + Described(failure));
    }
  }
  services.log.Line(all ? "the update was undone" : "the update could not be undone completely");
  return all;
}

bool RecoverInterruptedUpdate(const UpdateServices& services) {
  const std::u16string journalPath = JournalPath(services.places);
  if (services.files.FileExists(journalPath)) {
    Failure failure;
    const auto bytes = ReadWholeFile(services.files, journalPath, kMaxJournal, failure);
    if (!bytes) {
      LogError(services.log, "could not read the journal " + ToUtf8(journalPath) + " of an interrupted update: " +
                                 Described(failure));
      return false;
    }
    const JournalContents journal = ReadJournal(*bytes);
    if (journal.status == JournalContents::CutShort) {
      services.log.Line("the journal of an interrupted update was cut short before any change: nothing to undo");
    } else {
      services.log.Line("undoing an interrupted update (" + std::to_string(journal.steps.size()) + " step(s))");
      if (journal.status == JournalContents::Damaged)
        LogError(services.log,
                 "the journal " + ToUtf8(journalPath) + " is damaged: only the steps before the damage are undone");
      // A journal is only a file in the application's folder: one naming a
      // place outside the client's folders is not undone at all.
      if (std::string refused; !CheckJournalSteps(journal.steps, services.places, refused)) {
        LogError(services.log, "the journal " + ToUtf8(journalPath) + " is refused, nothing is undone: " + refused);
        return false;
      }
      if (!UndoSteps(journal.steps, services)) return false;
    }
    if (!services.files.RemoveFile(journalPath, failure)) {
      LogError(services.log, "could not remove the journal " + ToUtf8(journalPath) + ": " + Described(failure));
      return false;
    }
  }
  services.files.RemoveTree(WorkFolder(services.places));
  return true;
}

}  // namespace tidewatch::engine
