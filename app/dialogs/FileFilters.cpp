#include "dialogs/FileFilters.h"

#include <QStringList>

#include "shell/QtText.h"

namespace tidewell::app {

QString QtFileFilters(std::span<const FileFilter> filters) {
  QStringList parts;
  for (const FileFilter& filter : filters) {
    QString label = ToQString(WString(filter.label));
    QString patterns = ToQString(WString(filter.pattern));
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    // "*.*" means every file, names without an extension included.
    patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
    if (!label.endsWith(QLatin1Char(' '))) label += QLatin1Char(' ');
    parts << label + QLatin1Char('(') + patterns + QLatin1Char(')');
  }
  return parts.join(QStringLiteral(";;"));
}

}  // namespace tidewell::app
