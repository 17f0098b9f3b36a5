#include "cli/FlowCommandSupport.h"

#include <filesystem>

#include "cli/Command.h"
#include "files/DirectoryComparison.h"
#include "platform/HostPath.h"
#include "project/ProjectDocument.h"
#include "text/Text.h"

namespace tidewell::cli {

void AnswerFlags::Add(CLI::App& app, const std::string& what) {
  CLI::Option* yes = app.add_flag("--yes", yes_, "answer Yes to " + what);
  app.add_flag("--no", no_, "answer No to " + what)->excludes(yes);
}

std::optional<bool> AnswerFlags::Answer() const {
  if (yes_) return true;
  if (no_) return false;
  return std::nullopt;
}

void FlowPrompt::ShowMessage(const WString& caption, const WString& text, MessageIcon icon) {
  inner_.ShowMessage(caption, text, icon);
}

Answer FlowPrompt::Ask(const WString& caption, const WString& text, Buttons buttons,
                       MessageIcon icon) {
  if (keepGoing_ && caption == kLongOperationCaption) return Answer::Yes;
  const Answer answer = inner_.Ask(caption, text, buttons, icon);
  if (answer_) {
    PrintError(text);
    PrintError(std::string(*answer_ ? "(answered yes)" : "(answered no)"));
  }
  return answer;
}

void FlowPrompt::ShowBalloon(const FieldId& field, const WString& caption, const WString& text,
                             MessageIcon icon) {
  inner_.ShowBalloon(field, caption, text, icon);
}

int SaveAfterEdit(EditResult result, ProjectDocument& document, const WString& unchanged) {
  switch (result) {
    case EditResult::Refused:
      return kRefused;
    case EditResult::Unchanged:
      PrintOut(unchanged);
      return kDone;
    case EditResult::Done:
      break;
  }
  return SaveEditedProject(document);
}

WString AbsoluteHostPath(const std::string& argument) {
  return text::FromPath(NormalAbsolutePath(ArgumentPath(argument)));
}

std::optional<WString> MatchChoice(std::span<const std::u16string_view> choices,
                                   const std::string& argument) {
  const WString wanted = FromArgument(argument);
  for (const std::u16string_view choice : choices)
    if (text::EqualsNoCase(choice, wanted)) return WString(choice);
  return std::nullopt;
}

std::string ChoiceList(std::span<const std::u16string_view> choices) {
  std::string list;
  for (size_t i = 0; i < choices.size(); ++i) {
    if (i > 0) list += i + 1 == choices.size() ? " or " : ", ";
    list += "\"" + text::ToUtf8(choices[i]) + "\"";
  }
  return list;
}

}  // namespace tidewell::cli
