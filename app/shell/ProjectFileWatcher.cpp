#include "shell/ProjectFileWatcher.h"

#include <QFileInfo>

namespace tidewell::app {

ProjectFileWatcher::ProjectFileWatcher(QObject* parent) : QObject(parent) {
  quiet_.setSingleShot(true);
  quiet_.setInterval(250);
  const auto touched = [this] {
    Rearm();
    quiet_.start();
  };
  connect(&watcher_, &QFileSystemWatcher::fileChanged, this, touched);
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, touched);
  connect(&quiet_, &QTimer::timeout, this, [this] {
    if (!file_.isEmpty()) emit changed();
  });
}

void ProjectFileWatcher::Watch(const QString& file) {
  if (file == file_) {
    Rearm();
    return;
  }
  if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
  if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
  quiet_.stop();
  file_ = file;
  Rearm();
}

void ProjectFileWatcher::Rearm() {
  if (file_.isEmpty()) return;
  const QFileInfo info(file_);
  const QString folder = info.absolutePath();
  if (!watcher_.directories().contains(folder)) watcher_.addPath(folder);
  if (info.exists() && !watcher_.files().contains(file_)) watcher_.addPath(file_);
}

}  // namespace tidewell::app
