#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/Prompt.h"

namespace tidewell::testing {

// One thing the core showed or asked, recorded in order.
struct PromptEvent {
  enum class Kind { Message, Question, Balloon, Status } kind;
  WString caption;
  WString text;
  MessageIcon icon = MessageIcon::None;
  Buttons buttons = Buttons::Ok;
  FieldId field;  // balloons only
  WString detail;  // messages with a detail line only
};

// A prompt answered in advance. Questions take the next scripted answer; a
// question with no answer left fails the test.
class ScriptedPrompt final : public Prompt {
 public:
  void QueueAnswer(Answer answer) { answers_.push_back(answer); }

  void ShowMessage(const WString& caption, const WString& text, MessageIcon icon) override;
  void ShowDetailedMessage(const WString& caption, const WString& text, const WString& detail,
                           MessageIcon icon) override;
  Answer Ask(const WString& caption, const WString& text, Buttons buttons,
             MessageIcon icon) override;
  void ShowBalloon(const FieldId& field, const WString& caption, const WString& text,
                   MessageIcon icon) override;
  void SetStatusText(const WString& text) override;
  void SetBusy(bool busy) override;

  const std::vector<PromptEvent>& Events() const { return events_; }
  // Events of one kind, in order.
  std::vector<PromptEvent> Of(PromptEvent::Kind kind) const;
  size_t PendingAnswers() const { return answers_.size(); }
  int BusyDepth() const { return busyDepth_; }
  // Questions asked with no answer left (each also fails a GoogleTest test;
  // the desktop tests, which run under Qt Test, check this count).
  int UnexpectedQuestions() const { return unexpectedQuestions_; }
  void Clear() { events_.clear(); }

 private:
  std::deque<Answer> answers_;
  std::vector<PromptEvent> events_;
  int busyDepth_ = 0;
  int unexpectedQuestions_ = 0;
};

}  // namespace tidewell::testing
