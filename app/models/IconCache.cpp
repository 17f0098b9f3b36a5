#include "models/IconCache.h"

#include <QApplication>
#include <QFileInfo>
#include <QStyle>

namespace tidewell::app {

std::shared_ptr<IconCache> IconCache::Acquire() {
  static std::weak_ptr<IconCache> shared;
  std::shared_ptr<IconCache> cache = shared.lock();
  if (!cache) {
    cache = std::make_shared<IconCache>();
    shared = cache;
  }
  return cache;
}

IconCache::IconCache() {
  QStyle* style = QApplication::style();
  const QIcon closed = style->standardIcon(QStyle::SP_DirClosedIcon);
  const QIcon open = style->standardIcon(QStyle::SP_DirOpenIcon);
  for (const QSize& size : closed.availableSizes())
    folder_.addPixmap(closed.pixmap(size), QIcon::Normal, QIcon::Off);
  for (const QSize& size : open.availableSizes())
    folder_.addPixmap(open.pixmap(size), QIcon::Normal, QIcon::On);
  if (folder_.isNull()) folder_ = closed;
  generic_ = provider_.icon(QAbstractFileIconProvider::File);
  if (generic_.isNull()) generic_ = style->standardIcon(QStyle::SP_FileIcon);
}

QIcon IconCache::BySuffix(const QString& suffix) {
  const QString key = suffix.toLower();
  auto found = bySuffix_.constFind(key);
  if (found != bySuffix_.constEnd()) return *found;
  // A name with the extension is enough for the platform's lookup by kind.
  QIcon icon = key.isEmpty() ? generic_ : provider_.icon(QFileInfo(QStringLiteral("file.") + key));
  if (icon.isNull()) icon = generic_;
  bySuffix_.insert(key, icon);
  return icon;
}

QIcon IconCache::ForFile(const QString& diskPath) {
  const QFileInfo info(diskPath);
  if (diskPath.isEmpty() || !info.isFile()) return generic_;
#ifdef Q_OS_WIN
  // Programs, shortcuts and icon files each carry their own picture.
  const QString suffix = info.suffix().toLower();
  if (suffix == u"exe" || suffix == u"lnk" || suffix == u"ico") {
    auto found = bySuffix_.constFind(diskPath);
    if (found != bySuffix_.constEnd()) return *found;
    const QIcon icon = provider_.icon(info);
    bySuffix_.insert(diskPath, icon);
    return icon;
  }
#endif
  return BySuffix(info.suffix());
}

QIcon IconCache::ForEntryName(const QString& name) {
  const qsizetype dot = name.lastIndexOf(u'.');
  const qsizetype slash = std::max(name.lastIndexOf(u'\\'), name.lastIndexOf(u'/'));
  if (dot <= slash + 1) return generic_;
  return BySuffix(name.mid(dot + 1));
}

QIcon IconCache::ForExtension(const QString& extension) {
  return BySuffix(extension.startsWith(u'.') ? extension.mid(1) : extension);
}

}  // namespace tidewell::app
