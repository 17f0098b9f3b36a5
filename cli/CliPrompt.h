#pragma once

#include <optional>

#include "platform/Prompt.h"

namespace tidewell::cli {

// The command line's prompt: messages and balloons go to stderr; questions
// are answered by the --yes/--no flag. With no answer given, a question is a
// refusal: its text goes to stderr and the command ends with exit code 2.
class CliPrompt final : public Prompt {
 public:
  explicit CliPrompt(std::optional<bool> answer = std::nullopt) : answer_(answer) {}

  void ShowMessage(const WString& caption, const WString& text, MessageIcon icon) override;
  Answer Ask(const WString& caption, const WString& text, Buttons buttons, MessageIcon icon) override;
  void ShowBalloon(const FieldId& field, const WString& caption, const WString& text,
                   MessageIcon icon) override;
  void SetStatusText(const WString&) override {}
  void SetBusy(bool) override {}

  void SetAnswer(std::optional<bool> answer) { answer_ = answer; }
  // A validation balloon was shown, or a question found no answer.
  bool Refused() const { return refused_; }
  // An error message box was shown.
  bool ShowedError() const { return showedError_; }

 private:
  std::optional<bool> answer_;
  bool refused_ = false;
  bool showedError_ = false;
};

// Prints UTF-16 text as UTF-8 on stderr, with CR LF turned into LF.
void PrintError(const WString& text);
void PrintError(const std::string& text);
void PrintOut(const WString& text);

}  // namespace tidewell::cli
