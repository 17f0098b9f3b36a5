#pragma once

#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QString>
#include <memory>

namespace tidewell::app {

// The small icons of every tree on the pages, looked up once each: folders
// (closed and open), files by kind, zip entries, registry operations and
// execution entries. One cache serves all trees; it exists while at least one
// tree model holds it.
class IconCache {
 public:
  static std::shared_ptr<IconCache> Acquire();

  // Closed when shown collapsed, open when expanded (the icon's Off and On
  // states, which item views pick by the row's open state).
  QIcon Folder() const { return folder_; }
  // The platform's icon for the file at a host path; the generic document
  // when no file is there.
  QIcon ForFile(const QString& diskPath);
  // An entry of a zip archive, by the kind its name tells.
  QIcon ForEntryName(const QString& name);
  // The icon the platform shows for files with this extension (".reg").
  QIcon ForExtension(const QString& extension);
  QIcon GenericDocument() const { return generic_; }

  IconCache();

 private:
  QIcon BySuffix(const QString& suffix);

  QFileIconProvider provider_;
  QIcon folder_;
  QIcon generic_;
  QHash<QString, QIcon> bySuffix_;
};

}  // namespace tidewell::app
