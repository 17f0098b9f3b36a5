#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

#include "cli/CliPrompt.h"
#include "content/ContentEditing.h"
#include "text/WString.h"

namespace tidewell {
class ProjectDocument;
}

namespace tidewell::cli {

// The --yes/--no pair that answers the questions of a flow.
class AnswerFlags {
 public:
  void Add(CLI::App& app, const std::string& what);
  // None when neither was given: a question is then a refusal.
  std::optional<bool> Answer() const;

 private:
  bool yes_ = false;
  bool no_ = false;
};

// The command line's prompt for the editing commands: like CliPrompt, and a
// question answered by a flag is echoed on stderr with its answer, so a log
// shows what was decided. The long-operation question of the comparison is
// answered Yes when `keepGoing` is set: a script has no one to ask, and
// stopping is what interrupting the command is for.
class FlowPrompt final : public Prompt {
 public:
  explicit FlowPrompt(std::optional<bool> answer, bool keepGoing = false)
      : inner_(answer), answer_(answer), keepGoing_(keepGoing) {}

  void ShowMessage(const WString& caption, const WString& text, MessageIcon icon) override;
  Answer Ask(const WString& caption, const WString& text, Buttons buttons, MessageIcon icon) override;
  void ShowBalloon(const FieldId& field, const WString& caption, const WString& text,
                   MessageIcon icon) override;
  void SetStatusText(const WString&) override {}
  void SetBusy(bool) override {}

  // A validation balloon was shown, or a question found no answer.
  bool Refused() const { return inner_.Refused(); }
  bool ShowedError() const { return inner_.ShowedError(); }

 private:
  CliPrompt inner_;
  std::optional<bool> answer_;
  bool keepGoing_;
};

// The end of an editing command: a refusal exits 2; an entry that already
// existed is reported and nothing is saved; otherwise the project is saved.
int SaveAfterEdit(EditResult result, ProjectDocument& document, const WString& unchanged);

// A path argument as an absolute host path (as typed when it cannot be made so).
WString AbsoluteHostPath(const std::string& argument);

// The choice equal to `argument` without regard to case, spelt as listed.
std::optional<WString> MatchChoice(std::span<const std::u16string_view> choices,
                                   const std::string& argument);

// "a", "b" and "c" for a help text.
std::string ChoiceList(std::span<const std::u16string_view> choices);

}  // namespace tidewell::cli
