#include "cli/CliPrompt.h"

#include <iostream>

#include "text/Text.h"

namespace tidewell::cli {

namespace {

std::string ForTerminal(const WString& text) {
  return text::ToUtf8(text::ReplaceAll(text, u"\r\n", u"\n"));
}

}  // namespace

void PrintError(const WString& text) { std::cerr << ForTerminal(text) << '\n'; }
void PrintError(const std::string& text) { std::cerr << text << '\n'; }
void PrintOut(const WString& text) { std::cout << ForTerminal(text) << '\n'; }

void CliPrompt::ShowMessage(const WString&, const WString& text, MessageIcon icon) {
  if (icon == MessageIcon::Error) showedError_ = true;
  PrintError(text);
}

Answer CliPrompt::Ask(const WString&, const WString& text, Buttons buttons, MessageIcon) {
  if (!answer_) {
    refused_ = true;
    PrintError(text);
    PrintError(std::string("(answer with --yes or --no)"));
    return buttons == Buttons::YesNo || buttons == Buttons::Ok ? Answer::No : Answer::Cancel;
  }
  if (buttons == Buttons::OkCancel) return *answer_ ? Answer::Ok : Answer::Cancel;
  return *answer_ ? Answer::Yes : Answer::No;
}

void CliPrompt::ShowBalloon(const FieldId&, const WString& caption, const WString& text,
                            MessageIcon) {
  if (caption == kInvalidParametersCaption) refused_ = true;
  PrintError(text);
}

}  // namespace tidewell::cli
