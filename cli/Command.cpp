#include "cli/Command.h"

#include <vector>

#include "platform/HostPath.h"
#include "project/DocumentReader.h"
#include "project/DocumentWriter.h"
#include "project/ProjectDocument.h"
#include "project/ProjectMessages.h"
#include "text/Text.h"

namespace tidewell::cli {

WString FromArgument(const std::string& argument) { return text::DecodeFileText(argument); }
std::string ToArgument(const WString& text) { return text::ToUtf8(text); }
std::filesystem::path ArgumentPath(const std::string& argument) { return text::ToPath(FromArgument(argument)); }

std::unique_ptr<ProjectDocument> LoadProjectOrReport(const std::string& file, Prompt& prompt) {
  std::string why;
  auto document = LoadDocumentFresh(text::FromPath(AbsolutePath(ArgumentPath(file))), &prompt, &why);
  if (!document) {
    PrintError(kLoadErrorMessage);
    PrintReason(why);
  }
  return document;
}

void KeepUntilExit(std::unique_ptr<ProjectDocument> document) {
  // Held from here, so a leak check at exit finds it still reachable.
  static auto* const kept = new std::vector<std::unique_ptr<ProjectDocument>>();
  kept->push_back(std::move(document));
}

void PrintReason(const std::string& why) {
  if (!why.empty()) PrintError("(" + why + ")");
}

int SaveEditedProject(ProjectDocument& document) {
  std::string why;
  switch (SaveNamedDocument(document, XmlForm::ProjectForm, &why)) {
    case SaveOutcome::Saved:
      return kDone;
    case SaveOutcome::Unnamed:
      PrintError(kUnnamedProjectRefusal);
      return kRefused;
    case SaveOutcome::Failed:
      break;
  }
  PrintError(kSaveErrorMessage);
  PrintReason(why);
  return kFailed;
}

}  // namespace tidewell::cli
