#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

namespace tidewell::app {

// Watches the open project's file for changes by other programs. A file
// replaced by renaming (as every save of the tool does) ends a watch on it,
// so its folder is watched too and the file is watched again. A burst of
// events (a writer's several steps) is reported once, after a short quiet.
class ProjectFileWatcher : public QObject {
  Q_OBJECT

 public:
  explicit ProjectFileWatcher(QObject* parent = nullptr);

  // The file to watch; empty: none.
  void Watch(const QString& file);
  const QString& File() const { return file_; }
  // How long events must rest before `changed` is sent.
  void SetQuietInterval(int milliseconds) { quiet_.setInterval(milliseconds); }

 signals:
  void changed();

 private:
  void Rearm();

  QFileSystemWatcher watcher_;
  QTimer quiet_;
  QString file_;
};

}  // namespace tidewell::app
