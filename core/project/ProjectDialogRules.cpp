#include "project/ProjectDialogRules.h"

#include <filesystem>
#include <system_error>

#include "project/RecentList.h"
#include "text/Text.h"
#include "platform/HostPath.h"

namespace tidewell {

namespace {

const WString kNoLocation = u"Choose a base directory where you want to store the Tidewell files.";
const WString kNoName = u"You must select an appropriate name for the project.";
const WString kNotCreated = u"Error: Project directory could not be created.\r\n";
const WString kExistingProject =
    u"Error: An existing project appears to exist with this name. Select a different project "
    u"name or directory.";
const WString kNoProjectSelected =
    u"No project was selected. Create a new project or select an existing one from a directory.";

void Refuse(Prompt& prompt, const FieldId& field, const WString& text) {
  prompt.ShowBalloon(field, kInvalidParametersCaption, text, MessageIcon::Error);
}

// The folder without trailing separators (the root keeps its own).
WString WithoutTrailingSeparators(WString folder) {
  while (folder.size() > 1 && folder.back() == text::kHostSeparator) folder.pop_back();
  return folder;
}

}  // namespace

std::vector<WString> ProjectDialogTabs(ProjectDialogMode mode) {
  if (mode == ProjectDialogMode::SaveAsMode) return {kSaveAsTab};
  return {kNewTab, kLoadTab};
}

size_t ProjectDialogFirstTab(ProjectDialogMode mode) {
  return mode == ProjectDialogMode::OpenMode ? 1 : 0;
}

bool ShowsLoadScreenCheckBox(ProjectDialogMode mode) { return mode == ProjectDialogMode::OpenMode; }

WString InitialProjectLocation(std::u16string_view toolFolder) {
  WString location(toolFolder);
  if (location.empty() || location.back() != text::kHostSeparator) location += text::kHostSeparator;
  return text::ReduceDoubleSeparators(location);
}

WString LocationAfterNameEdit(std::u16string_view location, std::u16string_view name) {
  const size_t last = location.find_last_of(text::kHostSeparator);
  WString result(last == std::u16string_view::npos ? std::u16string_view() : location.substr(0, last + 1));
  result += name;
  return text::ReduceDoubleSeparators(result);
}

WString LocationAfterBrowse(std::u16string_view folder, std::u16string_view name) {
  return text::JoinHostPath(folder, name);
}

std::optional<NewProjectChoice> ConfirmNewProject(const WString& name, const WString& location,
                                                  Prompt& prompt) {
  if (location.empty()) {
    Refuse(prompt, kProjectLocationField, kNoLocation);
    return std::nullopt;
  }
  if (name.empty()) {
    Refuse(prompt, kProjectNameField, kNoName);
    return std::nullopt;
  }
  const WString folder = text::ReduceDoubleSeparators(location);
  const std::filesystem::path path = SystemPath(text::ToPath(folder));
  std::error_code ec;
  if (std::filesystem::exists(path / text::ToPath(kProjectFileName), ec)) {
    Refuse(prompt, kProjectDialogOkField, kExistingProject);
    return std::nullopt;
  }
  // Only the last level is created; an existing directory is refused too.
  if (!std::filesystem::create_directory(path, ec) || ec) {
    Refuse(prompt, kProjectDialogOkField, kNotCreated + folder);
    return std::nullopt;
  }
  return NewProjectChoice{name, WithoutTrailingSeparators(folder)};
}

WString OpenProjectChoice::Path() const {
  if (folder.empty()) return fileName;
  return text::JoinHostPath(folder, fileName);
}

std::optional<OpenProjectChoice> ConfirmOpenProject(const WString& path, Prompt& prompt) {
  if (path.empty()) {
    Refuse(prompt, kProjectOpenBrowseField, kNoProjectSelected);
    return std::nullopt;
  }
  const size_t last = path.find_last_of(text::kHostSeparator);
  if (last == WString::npos) return OpenProjectChoice{{}, path};
  WString folder = text::ReduceDoubleSeparators(std::u16string_view(path).substr(0, last));
  // The root folder keeps its separator.
  if (folder.empty()) folder.assign(1, text::kHostSeparator);
  return OpenProjectChoice{std::move(folder), path.substr(last + 1)};
}

OpenPageChoices ReadOpenPageChoices(const Preferences& preferences) {
  RecentList list;
  list.ReadFrom(preferences);
  OpenPageChoices choices;
  const std::vector<WString> entries = list.MostRecentFirst();
  if (!entries.empty()) choices.initialPath = RecentEntryPath(entries.front());
  for (const WString& entry : entries) {
    if (choices.recent.size() == RecentList::kMaxDialogEntries) break;
    if (entry.find(u'|') == WString::npos) continue;
    choices.recent.push_back({RecentEntryName(entry), RecentEntryPath(entry)});
  }
  return choices;
}

}  // namespace tidewell
