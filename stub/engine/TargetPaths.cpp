#include "TargetPaths.h"

#include "Text.h"
#include "UpdateRun.h"
#include "files/ClientPaths.h"

namespace tidewatch::engine {

namespace {

using tidewell::CheckClientPath;
using tidewell::ClientPathFault;

// The part of "<Root>\a\b" after its root ("a\b"; empty for the root alone).
std::u16string_view BelowRoot(std::u16string_view path) {
  const size_t cut = path.find(u'\\');
  return cut == std::u16string_view::npos ? std::u16string_view() : path.substr(cut + 1);
}

bool Refuse(std::string& error, const std::string& what, ClientPathFault fault) {
  error = what + " is refused: " + tidewell::ClientPathFaultText(fault);
  return false;
}

std::string StepName(const Step& step, std::size_t index) {
  return "the journal's step " + std::to_string(index + 1) + " (" + ToUtf8(step.target) + ")";
}

}  // namespace

std::optional<std::u16string> ResolvePlace(std::u16string_view destination, const Places& places) {
  const size_t cut = destination.find(u'\\');
  const std::u16string_view root = destination.substr(0, cut);
  std::u16string folder;
  if (root == u"<ApplicationDir>") folder = places.applicationDir;
  else if (root == u"<ProgramFilesDir>") folder = places.programFilesDir;
  else if (root == u"<SystemDir>") folder = places.systemDir;
  else if (root == u"<WinDir>") folder = places.winDir;
  else return std::nullopt;
  if (folder.empty()) return std::nullopt;
  if (cut != std::u16string_view::npos) folder = JoinPath(folder, destination.substr(cut + 1));
  return folder;
}

namespace {

// The sub-folders and name of a file, checked; false with `error`.
bool CheckFilePath(const ServerFile& file, std::string& error) {
  const std::string what = "the file " + ToUtf8(file.destination) + "\\" + ToUtf8(file.name);
  // The tool writes a plain name; its folders are the Directory elements.
  if (file.name.find_first_of(u"\\/") != std::u16string::npos) {
    error = what + " is refused: its name holds a separator";
    return false;
  }
  std::u16string relative(BelowRoot(file.destination));
  relative += (relative.empty() ? u"" : u"\\") + file.name;
  if (const ClientPathFault fault = CheckClientPath(relative); fault != ClientPathFault::None)
    return Refuse(error, what, fault);
  return true;
}

// An execution without a folder ("setup.exe") names no place: it is not
// started, as one in a folder the client does not know.
bool CheckExecutionPath(const ServerExecution& execution, std::string& error) {
  if (execution.file.find(u'\\') == std::u16string::npos) return true;
  const ClientPathFault fault = CheckClientPath(BelowRoot(execution.file));
  return fault == ClientPathFault::None || Refuse(error, "the execution " + ToUtf8(execution.file), fault);
}

}  // namespace

std::optional<std::u16string> FileTarget(const ServerFile& file, const Places& places, std::string& error) {
  if (!CheckFilePath(file, error)) return std::nullopt;
  const auto folder = ResolvePlace(file.destination, places);
  if (!folder) {
    error = "the destination " + ToUtf8(file.destination) + " of " + ToUtf8(file.name) +
            " is not a folder the client knows";
    return std::nullopt;
  }
  return JoinPath(*folder, file.name);
}

std::optional<std::u16string> ExecutionTarget(const ServerExecution& execution, const Places& places,
                                              std::string& error) {
  error.clear();
  if (!CheckExecutionPath(execution, error)) return std::nullopt;
  const size_t cut = execution.file.find(u'\\');
  const auto folder = ResolvePlace(execution.file.substr(0, cut), places);
  if (!folder || cut == std::u16string::npos) return std::nullopt;
  return JoinPath(*folder, execution.file.substr(cut + 1));
}

std::optional<std::u16string> EntryTarget(const std::u16string& folder, const std::u16string& entryName,
                                          const std::string& archive, std::string& error) {
  if (const ClientPathFault fault = CheckClientPath(entryName); fault != ClientPathFault::None) {
    Refuse(error, "the entry " + ToUtf8(entryName) + " of " + archive, fault);
    return std::nullopt;
  }
  return JoinPath(folder, entryName);
}

bool CheckUpdatePaths(const ServerUpdate& update, std::string& error) {
  for (const auto& file : update.files)
    if (!CheckFilePath(file, error)) return false;
  for (const auto& execution : update.executions)
    if (!CheckExecutionPath(execution, error)) return false;
  return true;
}

bool CheckJournalSteps(const std::vector<Step>& steps, const Places& places, std::string& error) {
  const std::u16string work = WorkFolder(places);
  const std::u16string_view folders[] = {places.applicationDir, places.programFilesDir, places.systemDir,
                                         places.winDir};
  auto inPlaces = [&](const std::u16string& path, bool orItself) {
    for (const auto folder : folders)
      if (tidewell::LiesInClientFolder(folder, path, orItself)) return true;
    return false;
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const Step& step = steps[i];
    if (step.kind == Step::CreateFolder && !inPlaces(step.target, true)) {
      error = StepName(step, i) + " makes a folder outside the client's folders";
      return false;
    }
    if (step.kind != Step::ReplaceFile) continue;
    if (!inPlaces(step.target, false)) {
      error = StepName(step, i) + " replaces a file outside the client's folders";
      return false;
    }
    if (!tidewell::LiesInClientFolder(work, step.staged) || !tidewell::LiesInClientFolder(work, step.backup)) {
      error = StepName(step, i) + " keeps its copies outside the work folder";
      return false;
    }
  }
  return true;
}

}  // namespace tidewatch::engine
