#pragma once

#include <functional>

#include "platform/Prompt.h"

namespace tidewell::app {

// The prompt a running comparison speaks through. The question asked every
// 100 entries still comes, but first the progress window is shown and the
// events that wait are handled, so a Cancel pressed since the last question
// is seen: the walk then ends as No to the question would end it, without
// asking. Everything else goes to the prompt behind it.
class ComparisonPrompt final : public Prompt {
 public:
  // `beforeQuestion` shows the progress window and handles waiting events;
  // `cancelled` tells whether its Cancel was pressed.
  ComparisonPrompt(Prompt& inner, std::function<void()> beforeQuestion,
                   std::function<bool()> cancelled);

  void ShowMessage(const WString& caption, const WString& text, MessageIcon icon) override;
  Answer Ask(const WString& caption, const WString& text, Buttons buttons,
             MessageIcon icon) override;
  void ShowBalloon(const FieldId& field, const WString& caption, const WString& text,
                   MessageIcon icon) override;
  void SetStatusText(const WString& text) override;
  void SetBusy(bool busy) override;

 private:
  Prompt& inner_;
  std::function<void()> beforeQuestion_;
  std::function<bool()> cancelled_;
};

}  // namespace tidewell::app
