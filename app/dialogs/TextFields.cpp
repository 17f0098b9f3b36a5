#include "dialogs/TextFields.h"

#include <QLineEdit>
#include <limits>

#include "shell/QtText.h"

namespace tidewell::app {

QLineEdit* MakeLineEdit(QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  edit->setMaxLength(std::numeric_limits<int>::max());
  return edit;
}

QString ToEditorText(const WString& text) {
  QString shown = ToQString(text);
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return shown;
}

WString FromEditorText(const QString& text) {
  QString stored = text;
  stored.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  stored.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return ToWString(stored);
}

}  // namespace tidewell::app
