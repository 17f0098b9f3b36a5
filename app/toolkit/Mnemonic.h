#pragma once

#include <QString>

namespace tidewell::app {

// A text shown on a label or button exactly as it is: each "&" is doubled,
// so none is taken for an Alt accelerator.
QString ShownLiterally(const QString& text);

// `text` shown literally, with its first `letter` (either case) marked as
// its Alt accelerator; unmarked when the text has no such letter.
QString WithMnemonic(const QString& text, char16_t letter);

// The accelerator letter of a label or button text ("&Save" gives 's'), or
// 0 when it has none.
QChar MnemonicOf(const QString& text);

}  // namespace tidewell::app
