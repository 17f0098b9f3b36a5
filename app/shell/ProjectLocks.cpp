#include "shell/ProjectLocks.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QSysInfo>

namespace tidewell::app {

namespace {

// One key per file, whichever way its path was written.
QString KeyOf(const QString& projectFile) {
  QString path = QDir::cleanPath(QFileInfo(projectFile).absoluteFilePath());
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
  path = path.toLower();
#endif
  return path;
}

}  // namespace

ProjectLocks::ProjectLocks(QString folder) : folder_(std::move(folder)) {
  if (folder_.isEmpty())
    folder_ = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
              QStringLiteral("/locks");
}

ProjectLocks::~ProjectLocks() = default;

QString ProjectLocks::LockFilePath(const QString& projectFile) const {
  const QByteArray hash =
      QCryptographicHash::hash(KeyOf(projectFile).toUtf8(), QCryptographicHash::Sha1).toHex();
  return folder_ + QLatin1Char('/') + QString::fromLatin1(hash) + QStringLiteral(".lock");
}

bool ProjectLocks::Lock(const QString& projectFile) {
  const QString key = KeyOf(projectFile);
  if (held_.count(key)) return true;
  // Without a folder for marks the project opens as before, unmarked.
  if (!QDir().mkpath(folder_)) return true;
  auto lock = std::make_unique<QLockFile>(LockFilePath(projectFile));
  lock->setStaleLockTime(0);
  if (!lock->tryLock(0)) {
    // Only another live owner keeps the project: anything else opens it.
    if (lock->error() != QLockFile::LockFailedError) return true;
    // A mark naming this very process was left by an ended one whose number
    // came round again (Wine numbers processes afresh with each start of
    // its server): this process holds no mark yet, so it is stale.
    qint64 pid = 0;
    QString host, application;
    if (!lock->getLockInfo(&pid, &host, &application) || pid != QCoreApplication::applicationPid() ||
        host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) != 0 ||  // names differ in case only on Windows
        !lock->removeStaleLockFile() || !lock->tryLock(0))
      return false;
  }
  held_[key] = std::move(lock);
  return true;
}

void ProjectLocks::Unlock(const QString& projectFile) { held_.erase(KeyOf(projectFile)); }

}  // namespace tidewell::app
