#include "toolkit/Mnemonic.h"

namespace tidewell::app {

QString ShownLiterally(const QString& text) {
  return QString(text).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

QString WithMnemonic(const QString& text, char16_t letter) {
  const qsizetype at = text.indexOf(QChar(letter), 0, Qt::CaseInsensitive);
  if (at < 0) return ShownLiterally(text);
  return ShownLiterally(text.left(at)) + QLatin1Char('&') + ShownLiterally(text.mid(at));
}

QChar MnemonicOf(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != QLatin1Char('&')) continue;
    if (text[i + 1] != QLatin1Char('&')) return text[i + 1].toLower();
    ++i;  // a literal "&"
  }
  return {};
}

}  // namespace tidewell::app
