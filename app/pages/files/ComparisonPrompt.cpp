#include "pages/files/ComparisonPrompt.h"

#include "files/DirectoryComparison.h"

namespace tidewell::app {

ComparisonPrompt::ComparisonPrompt(Prompt& inner, std::function<void()> beforeQuestion,
                                   std::function<bool()> cancelled)
    : inner_(inner), beforeQuestion_(std::move(beforeQuestion)), cancelled_(std::move(cancelled)) {}

void ComparisonPrompt::ShowMessage(const WString& caption, const WString& text,
                                   MessageIcon icon) {
  inner_.ShowMessage(caption, text, icon);
}

Answer ComparisonPrompt::Ask(const WString& caption, const WString& text, Buttons buttons,
                             MessageIcon icon) {
  if (text == kLongOperationQuestion) {
    if (beforeQuestion_) beforeQuestion_();
    if (cancelled_ && cancelled_()) return Answer::No;
  }
  return inner_.Ask(caption, text, buttons, icon);
}

void ComparisonPrompt::ShowBalloon(const FieldId& field, const WString& caption,
                                   const WString& text, MessageIcon icon) {
  inner_.ShowBalloon(field, caption, text, icon);
}

void ComparisonPrompt::SetStatusText(const WString& text) { inner_.SetStatusText(text); }

void ComparisonPrompt::SetBusy(bool busy) { inner_.SetBusy(busy); }

}  // namespace tidewell::app
