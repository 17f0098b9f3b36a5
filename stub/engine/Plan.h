#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "Platform.h"

namespace tidewatch::engine {

// One change an update makes, with what undoing it needs. Undoing a step
// puts back the state found when the plan was made; it is harmless when the
// step never ran or ran only in part, so after a failure or a kill every
// step of the plan is undone in reverse order.
struct Step {
  enum Kind {
    CreateFolder,         // target: a folder that did not exist
    ReplaceFile,          // target, staged (the new file), backup (where the old one goes), existed
    SetValue,             // target: key, name, value; existed and previous
    DeleteValue,          // target: key, name; existed and previous
    CreateKey,            // target: a key that did not exist
    DeleteKey,            // target: key; existed and previousKey
  };
  Kind kind = CreateFolder;
  std::u16string target;
  std::u16string staged;
  std::u16string backup;
  std::u16string name;
  bool existed = false;
  RegistryValue value;
  RegistryValue previous;
  RegistryKeySnapshot previousKey;

  bool operator==(const Step&) const = default;
};

// Builds the steps of an apply in order, reading the previous state of each
// target as it goes: folders before the files in them, keys before the
// values in them.
class PlanBuilder {
 public:
  PlanBuilder(FileSystem& files, Registry& registry) : files_(files), registry_(registry) {}

  // The new file `staged` (in the work folder) goes to `target`; the old one,
  // if any, to `backup`.
  void AddFile(const std::u16string& target, const std::u16string& staged, const std::u16string& backup);
  void AddSetValue(const std::u16string& key, const std::u16string& name, const RegistryValue& value);
  void AddDeleteValue(const std::u16string& key, const std::u16string& name);
  void AddCreateKey(const std::u16string& key);
  void AddDeleteKey(const std::u16string& key);

  bool HasFileTarget(const std::u16string& target) const;
  const std::vector<Step>& steps() const { return steps_; }

 private:
  void EnsureFolder(const std::u16string& folder);
  void EnsureKey(const std::u16string& key);

  FileSystem& files_;
  Registry& registry_;
  std::vector<Step> steps_;
  // Case-folded: the folders found or planned, the files' targets.
  std::set<std::u16string> folders_, fileTargets_;
  std::vector<std::u16string> createdKeys_, deletedKeys_;
};

// Makes one step's change.
bool DoStep(const Step& step, FileSystem& files, Registry& registry, Failure& failure);
// Puts back what one step changed; false (with `failure`) when it could not.
bool UndoStep(const Step& step, FileSystem& files, Registry& registry, Failure& failure);

}  // namespace tidewatch::engine
