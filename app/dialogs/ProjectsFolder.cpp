#include "dialogs/ProjectsFolder.h"

#include <QDir>
#include <QStandardPaths>

#include "shell/QtText.h"

namespace tidewell::app {

WString ProjectsFolder(const WString& fallback) {
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (documents.isEmpty()) return fallback;
  const QString projects = QDir(documents).filePath(QStringLiteral("Tidewell Projects"));
  if (QDir().mkpath(projects)) return ToWString(QDir::toNativeSeparators(projects));
  if (QDir(documents).exists()) return ToWString(QDir::toNativeSeparators(documents));
  return fallback;
}

}  // namespace tidewell::app
