#pragma once

#include <QString>

#include "text/WString.h"

class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace tidewell::app {

// A single-line field that holds any length of text, so a long value read
// from a project is never cut when it is stored back.
QLineEdit* MakeLineEdit(QWidget* parent);

// Multi-line boxes give line breaks as LF; the settings keep CR LF.
QString ToEditorText(const WString& text);
WString FromEditorText(const QString& text);

// A setting shown in a field: when the field still shows what was loaded,
// the value as it was stored goes back unchanged (whatever the field made of
// its line breaks), so a project is never changed by being shown.
class ShownText {
 public:
  void Load(const WString& value, const QString& shown) {
    value_ = value;
    shown_ = shown;
  }
  WString Collect(const QString& current, WString (*convert)(const QString&)) const {
    return current == shown_ ? value_ : convert(current);
  }

 private:
  WString value_;
  QString shown_;
};

}  // namespace tidewell::app
