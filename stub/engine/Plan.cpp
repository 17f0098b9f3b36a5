#include "Plan.h"

#include <algorithm>

#include "Text.h"

namespace tidewatch::engine {

namespace {

bool Contains(const std::vector<std::u16string>& list, const std::u16string& item) {
  return std::any_of(list.begin(), list.end(), [&](const auto& x) { return EqualsIgnoringCase(x, item); });
}

bool RestoreKey(const std::u16string& key, const RegistryKeySnapshot& snapshot, Registry& registry,
                Failure& failure) {
  if (!registry.CreateKey(key, failure)) return false;
  for (const auto& [name, value] : snapshot.values)
    if (!registry.WriteValue(key, name, value, failure)) return false;
  for (const auto& [name, subkey] : snapshot.subkeys)
    if (!RestoreKey(key + u"\\" + name, subkey, registry, failure)) return false;
  return true;
}

}  // namespace

void PlanBuilder::EnsureFolder(const std::u16string& folder) {
  if (folder.empty()) return;
  std::u16string known = FoldedCase(folder);
  if (folders_.count(known)) return;
  if (files_.FolderExists(folder)) {
    folders_.insert(std::move(known));
    return;
  }
  const std::u16string parent = ParentPath(folder);
  // A drive ("C:") or a share's root is never created.
  if (!parent.empty() && parent.find(u'\\') != std::u16string::npos) EnsureFolder(parent);
  folders_.insert(std::move(known));
  Step step;
  step.kind = Step::CreateFolder;
  step.target = folder;
  steps_.push_back(std::move(step));
}

void PlanBuilder::EnsureKey(const std::u16string& key) {
  const std::u16string parent = ParentPath(key);
  if (parent.empty()) return;  // a base key always exists
  if (Contains(createdKeys_, key)) return;
  if (!Contains(deletedKeys_, key) && registry_.KeyExists(key)) return;
  EnsureKey(parent);
  createdKeys_.push_back(key);
  Step step;
  step.kind = Step::CreateKey;
  step.target = key;
  step.existed = registry_.KeyExists(key);
  steps_.push_back(std::move(step));
}

void PlanBuilder::AddFile(const std::u16string& target, const std::u16string& staged, const std::u16string& backup) {
  EnsureFolder(ParentPath(target));
  Step step;
  step.kind = Step::ReplaceFile;
  step.target = target;
  step.staged = staged;
  step.backup = backup;
  step.existed = files_.FileExists(target);
  fileTargets_.insert(FoldedCase(target));
  steps_.push_back(std::move(step));
}

bool PlanBuilder::HasFileTarget(const std::u16string& target) const {
  return fileTargets_.count(FoldedCase(target)) > 0;
}

void PlanBuilder::AddSetValue(const std::u16string& key, const std::u16string& name, const RegistryValue& value) {
  EnsureKey(key);
  Step step;
  step.kind = Step::SetValue;
  step.target = key;
  step.name = name;
  step.value = value;
  if (const auto previous = registry_.ReadValue(key, name)) {
    step.existed = true;
    step.previous = *previous;
  }
  steps_.push_back(std::move(step));
}

void PlanBuilder::AddDeleteValue(const std::u16string& key, const std::u16string& name) {
  Step step;
  step.kind = Step::DeleteValue;
  step.target = key;
  step.name = name;
  if (const auto previous = registry_.ReadValue(key, name)) {
    step.existed = true;
    step.previous = *previous;
  }
  steps_.push_back(std::move(step));
}

void PlanBuilder::AddCreateKey(const std::u16string& key) { EnsureKey(key); }

void PlanBuilder::AddDeleteKey(const std::u16string& key) {
  Step step;
  step.kind = Step::DeleteKey;
  step.target = key;
  if (const auto snapshot = registry_.Snapshot(key)) {
    step.existed = true;
    step.previousKey = *snapshot;
  }
  deletedKeys_.push_back(key);
  steps_.push_back(std::move(step));
}

bool DoStep(const Step& step, FileSystem& files, Registry& registry, Failure& failure) {
  switch (step.kind) {
    case Step::CreateFolder:
      return files.MakeFolder(step.target, failure);
    case Step::ReplaceFile:
      if (step.existed) {
        // The backup becomes a second name of the old file and the new one is
        // renamed over it: the target is never missing, and one rename fewer
        // is made. A volume without such names, a running program, a
        // read-only file or one held open take the way of renaming the old
        // file aside, which works even on the client's own running executable.
        // A backup name that cannot be removed again means the old file is
        // held open: the step ends with that reason, and the name stays in
        // the work folder until the next update.
        Failure refused;
        if (files.Link(step.target, step.backup, refused)) {
          if (files.MoveOver(step.staged, step.target, refused)) return true;
          Failure held;
          if (!files.RemoveFile(step.backup, held)) {
            failure = held.code == kErrorSharingViolation ? Failure{"the file is in use", held.code} : refused;
            return false;
          }
        }
        if (!files.Move(step.target, step.backup, failure)) return false;
      }
      return files.Move(step.staged, step.target, failure);
    case Step::SetValue:
      return registry.WriteValue(step.target, step.name, step.value, failure);
    case Step::DeleteValue:
      return registry.DeleteValue(step.target, step.name, failure);
    case Step::CreateKey:
      return registry.CreateKey(step.target, failure);
    case Step::DeleteKey:
      return registry.DeleteKey(step.target, failure);
  }
  return false;
}

bool UndoStep(const Step& step, FileSystem& files, Registry& registry, Failure& failure) {
  switch (step.kind) {
    case Step::CreateFolder:
      // Only an empty folder goes; one that holds anything stays.
      if (files.FolderExists(step.target)) files.RemoveEmptyFolder(step.target);
      return true;
    case Step::ReplaceFile:
      // The new file goes back to where it was staged (the staged name is
      // free once it was moved in); renaming works even on the client's own
      // running executable, where deleting would not.
      if (step.existed && files.FileExists(step.backup)) {
        // The backup name was given and the new file never moved in: the old
        // file is still in place. Its second name goes where it can; one
        // left behind is only a name in the work folder.
        const bool targetThere = files.FileExists(step.target);
        if (targetThere && files.FileExists(step.staged)) {
          Failure ignored;
          files.RemoveFile(step.backup, ignored);
          return true;
        }
        if (targetThere && !files.Move(step.target, step.staged, failure)) return false;
        return files.Move(step.backup, step.target, failure);
      }
      // The old file never left; or there was none, and the new one goes.
      if (!step.existed && files.FileExists(step.target)) return files.Move(step.target, step.staged, failure);
      return true;
    case Step::SetValue:
    case Step::DeleteValue:
      return step.existed ? registry.WriteValue(step.target, step.name, step.previous, failure)
                          : registry.DeleteValue(step.target, step.name, failure);
    case Step::CreateKey:
      return step.existed || registry.DeleteKey(step.target, failure);
    case Step::DeleteKey:
      return !step.existed || RestoreKey(step.target, step.previousKey, registry, failure);
  }
  return false;
}

}  // namespace tidewatch::engine
