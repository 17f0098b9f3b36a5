#pragma once

#include <QString>
#include <map>
#include <memory>

class QLockFile;

namespace tidewell::app {

// Marks of the projects this process has open, one lock file per project in
// the user's configuration folder ("locks"), named after a hash of the
// project file's absolute path. A second window or process of the tool that
// opens the same project finds the mark; a mark left by a process that has
// ended is taken over without a word (QLockFile with no stale time: only a
// dead owner makes a lock stale).
class ProjectLocks {
 public:
  // `folder`: where the lock files are kept; empty: the configuration folder.
  explicit ProjectLocks(QString folder = {});
  ~ProjectLocks();
  ProjectLocks(const ProjectLocks&) = delete;
  ProjectLocks& operator=(const ProjectLocks&) = delete;

  // True when this process now holds the mark of `projectFile` (also when it
  // held it already); false when another window or process holds it.
  bool Lock(const QString& projectFile);
  void Unlock(const QString& projectFile);

  // The lock file that marks `projectFile`.
  QString LockFilePath(const QString& projectFile) const;

 private:
  QString folder_;
  std::map<QString, std::unique_ptr<QLockFile>> held_;
};

}  // namespace tidewell::app
