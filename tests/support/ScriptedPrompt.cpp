#include "support/ScriptedPrompt.h"

#include <gtest/gtest.h>

#include "text/Text.h"

namespace tidewell::testing {

void ScriptedPrompt::ShowMessage(const WString& caption, const WString& text, MessageIcon icon) {
  events_.push_back({PromptEvent::Kind::Message, caption, text, icon, Buttons::Ok, {}, {}});
}

void ScriptedPrompt::ShowDetailedMessage(const WString& caption, const WString& text,
                                         const WString& detail, MessageIcon icon) {
  events_.push_back({PromptEvent::Kind::Message, caption, text, icon, Buttons::Ok, {}, detail});
}

Answer ScriptedPrompt::Ask(const WString& caption, const WString& text, Buttons buttons,
                           MessageIcon icon) {
  events_.push_back({PromptEvent::Kind::Question, caption, text, icon, buttons, {}, {}});
  if (answers_.empty()) {
    ++unexpectedQuestions_;
    ADD_FAILURE() << "unexpected question: " << text::ToUtf8(caption) << ": "
                  << text::ToUtf8(text);
    return Answer::Cancel;
  }
  const Answer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void ScriptedPrompt::ShowBalloon(const FieldId& field, const WString& caption, const WString& text,
                                 MessageIcon icon) {
  events_.push_back({PromptEvent::Kind::Balloon, caption, text, icon, Buttons::Ok, field, {}});
}

void ScriptedPrompt::SetStatusText(const WString& text) {
  events_.push_back({PromptEvent::Kind::Status, {}, text, MessageIcon::None, Buttons::Ok, {}, {}});
}

void ScriptedPrompt::SetBusy(bool busy) { busyDepth_ += busy ? 1 : -1; }

std::vector<PromptEvent> ScriptedPrompt::Of(PromptEvent::Kind kind) const {
  std::vector<PromptEvent> out;
  for (const auto& e : events_)
    if (e.kind == kind) out.push_back(e);
  return out;
}

}  // namespace tidewell::testing
