#include "files/FileSelection.h"

#include <algorithm>

#include "files/ClientFileNames.h"
#include "files/ClientPaths.h"

#include "files/FileRecord.h"
#include "files/FileTree.h"
#include "project/ProjectSettings.h"
#include "text/Text.h"

namespace tidewell {

namespace {

const WString kHelpCaption = u"File selection help";
const WString kHelpText =
    u"Select the files relevant to your updates. These files can be targeted at any client "
    u"directory of your choice.\r\n\r\nNote that the client destination can include several "
    u"sub-directories, such as <ProgramFilesDir>\\subdir1\\subdir2, and these will be created on "
    u"if needed.";

WString NoBaseQuestion(const WString& directory) {
  return u"The base directory for your HTTP updates is not set.\r\nThe following appears to be "
         u"your base update directory:\r\n" +
         directory + u"\r\n\r\nWould you like to make this your base update directory?";
}

WString MismatchQuestion(const WString& base, const WString& directory) {
  return u"The base directory for your HTTP updates is set to:\r\n" + base +
         u"\r\nThis does not appear to match the currently used directory:\r\n" + directory +
         u"\r\n\r\nWould you like to change the base directory for updates to:\r\n" + directory;
}

// Whether `directory` lies in `base`; `remainder` receives what follows it.
// A separator at the end of the base is not part of the folder's name: the
// base "/stage/" (as set from a file's folder) holds "/stage" itself too.
bool LiesInside(std::u16string_view base, std::u16string_view directory,
                std::u16string_view& remainder) {
  while (base.size() > 1 && base.back() == text::kHostSeparator) base.remove_suffix(1);
  if (directory.size() < base.size()) return false;
  if (!text::HostPathsEqual(directory.substr(0, base.size()), base)) return false;
  remainder = directory.substr(base.size());
  return base.back() == text::kHostSeparator || remainder.empty() ||
         remainder.front() == text::kHostSeparator;
}

// The client form of a directory below the base: "\" for the base itself,
// otherwise "\" + the path with backslashes + "\".
WString RelativeClientForm(std::u16string_view remainder) {
  WString inner(remainder);
  for (char16_t& c : inner)
    if (c == text::kHostSeparator) c = text::kClientSeparator;
  size_t first = inner.find_first_not_of(text::kClientSeparator);
  if (first == WString::npos) return u"\\";
  const size_t last = inner.find_last_not_of(text::kClientSeparator);
  WString form = u"\\";
  form.append(inner, first, last - first + 1);
  form += u'\\';
  return text::ReduceDoubleBackslashes(form);
}

}  // namespace

void ShowFileSelectionHelp(Prompt& prompt) {
  prompt.ShowMessage(kHelpCaption, kHelpText, MessageIcon::Question);
}

bool CheckBaseDirectory(ProjectSettings& settings, FileTree& tree, WString& directory,
                        bool fromBrowse, Prompt& prompt) {
  const WString base = settings.RawValue(SettingKey::UpdateFilesDir);
  if (base.empty()) {
    if (!fromBrowse &&
        prompt.Ask(kNoUpdateDirectoryCaption, NoBaseQuestion(directory), Buttons::YesNo,
                   MessageIcon::Question) != Answer::Yes)
      return false;
    settings.SetSetting(SettingKey::UpdateFilesDir, directory);
    directory.assign(1, text::kClientSeparator);
    return !fromBrowse;
  }
  std::u16string_view remainder;
  if (LiesInside(base, directory, remainder)) {
    directory = RelativeClientForm(remainder);
    return true;
  }
  if (prompt.Ask(kIncorrectUpdateDirectoryCaption, MismatchQuestion(base, directory),
                 Buttons::YesNo, MessageIcon::Question) != Answer::Yes)
    return false;
  settings.SetSetting(SettingKey::UpdateFilesDir, directory);
  tree.Clear();
  directory.assign(1, text::kClientSeparator);
  return true;
}

bool LiesInsideBaseDirectory(const ProjectSettings& settings, std::u16string_view directory) {
  const WString& base = settings.RawValue(SettingKey::UpdateFilesDir);
  std::u16string_view remainder;
  return !base.empty() && LiesInside(base, directory, remainder);
}

WString BuildDestination(std::u16string_view root, std::u16string_view subDirectories) {
  WString destination(root);
  destination += u'\\';
  destination += subDirectories;
  for (char16_t& c : destination)
    if (c == u'/') c = u'\\';
  destination = text::ReduceDoubleBackslashes(text::ReduceDoubleBackslashes(destination));
  const size_t first = destination.find_first_not_of(u'\\');
  if (first == WString::npos) return {};
  const size_t last = destination.find_last_not_of(u'\\');
  return destination.substr(first, last - first + 1);
}

WString DestinationRefusal(std::u16string_view destination) {
  if (destination.empty()) return {};
  std::u16string_view below = destination;
  const std::u16string_view root = destination.substr(0, destination.find(u'\\'));
  if (std::find(kDestinationRoots.begin(), kDestinationRoots.end(), root) != kDestinationRoots.end())
    below = destination.substr(std::min(root.size() + 1, destination.size()));
  if (below.empty()) return {};
  const ClientPathFault fault = CheckClientPath(below);
  if (fault == ClientPathFault::None) return {};
  return u"The destination " + WString(destination) + u" cannot be used: " +
         text::FromUtf8(ClientPathFaultText(fault)) +
         u". The update client places files only in the folder a destination names and the folders below it.";
}

std::vector<FileSelection> GroupFilesByDirectory(const std::vector<WString>& paths) {
  std::vector<FileSelection> groups;
  for (const WString& path : paths) {
    const size_t cut = path.find_last_of(text::kHostSeparator);
    const WString directory = cut == WString::npos ? WString() : path.substr(0, cut + 1);
    const WString name = cut == WString::npos ? path : path.substr(cut + 1);
    FileSelection* group = nullptr;
    for (FileSelection& existing : groups)
      if (existing.directory == directory) group = &existing;
    if (!group) group = &groups.emplace_back(FileSelection{directory, {}});
    group->fileNames.push_back(name);
  }
  return groups;
}

const TreeNode* FileOnDestinationPath(const FileTree& tree, std::u16string_view destination) {
  return tree.ItemOnPath(destination);
}

WString DestinationIsAFileMessage(std::u16string_view destination) {
  return u"The destination " + WString(destination) +
         u" runs through a file of the update, not a folder. Choose a folder for the files.";
}

namespace {

// Whether every folder of `directory` below the base can be made on Windows.
bool FoldersBelowBaseAreUsable(const ProjectSettings& settings, std::u16string_view directory) {
  std::u16string_view remainder;
  if (!LiesInside(settings.RawValue(SettingKey::UpdateFilesDir), directory, remainder)) return true;
  return text::ForEachPathPart(remainder, text::kHostSeparator, IsWindowsFileName);
}

}  // namespace

AddFilesResult AddFiles(ProjectSettings& settings, FileTree& tree, const FileSelection& selection,
                        std::u16string_view destination, Prompt& prompt) {
  AddFilesResult result;
  if (const WString refusal = DestinationRefusal(destination); !refusal.empty()) {
    prompt.ShowMessage(kErrorCaption, refusal, MessageIcon::Error);
    return result;
  }
  if (FileOnDestinationPath(tree, destination)) {
    prompt.ShowMessage(kErrorCaption, DestinationIsAFileMessage(destination), MessageIcon::Error);
    return result;
  }
  WString src = selection.directory;
  if (!CheckBaseDirectory(settings, tree, src, false, prompt)) return result;
  result.accepted = true;
  if (!FoldersBelowBaseAreUsable(settings, selection.directory)) {
    result.leftOut = selection.fileNames.size();
    prompt.ShowMessage(kLeftOutCaption, LeftOutMessage(result.leftOut), MessageIcon::Warning);
    return result;
  }
  src = text::ReduceDoubleBackslashes(src);
  TreeNode* target = tree.AddDirectoryPath(destination, nullptr);
  FileRecord record;
  record.Src = src;
  for (const WString& name : selection.fileNames) {
    if (!IsWindowsFileName(name)) {
      ++result.leftOut;
      continue;
    }
    record.Name.clear();
    if (tree.InsertItem(target, &record, name))
      ++result.added;
    else
      ++result.skipped;
  }
  if (result.leftOut > 0)
    prompt.ShowMessage(kLeftOutCaption, LeftOutMessage(result.leftOut), MessageIcon::Warning);
  return result;
}

namespace {

// The deepest folder (with its separator) that holds every group's directory;
// empty when they share none.
WString CommonFolder(const std::vector<FileSelection>& groups) {
  WString common = groups.front().directory;
  for (const FileSelection& group : groups) {
    const std::u16string_view directory = group.directory;
    size_t length = std::min(common.size(), directory.size());
    while (length > 0 && !(common[length - 1] == text::kHostSeparator &&
                           text::HostPathsEqual(std::u16string_view(common).substr(0, length),
                                                directory.substr(0, length))))
      --length;
    common.resize(length);
  }
  return common;
}

}  // namespace

AddFilesResult AddFileGroups(ProjectSettings& settings, FileTree& tree,
                             const std::vector<FileSelection>& groups,
                             std::u16string_view destination, Prompt& prompt) {
  AddFilesResult total;
  // Refused before the base can move.
  if (const WString refusal = DestinationRefusal(destination); !refusal.empty()) {
    prompt.ShowMessage(kErrorCaption, refusal, MessageIcon::Error);
    return total;
  }
  total.accepted = true;
  if (groups.empty()) return total;
  const bool baseMustChange =
      std::any_of(groups.begin(), groups.end(), [&settings](const FileSelection& group) {
        return !LiesInsideBaseDirectory(settings, group.directory);
      });
  WString common = CommonFolder(groups);
  if (baseMustChange && !common.empty()) {
    // Refused before the base moves, as AddFiles refuses it.
    if (FileOnDestinationPath(tree, destination)) {
      prompt.ShowMessage(kErrorCaption, DestinationIsAFileMessage(destination), MessageIcon::Error);
      return AddFilesResult{};
    }
    if (!CheckBaseDirectory(settings, tree, common, false, prompt)) return AddFilesResult{};
  }
  for (const FileSelection& group : groups) {
    const AddFilesResult result = AddFiles(settings, tree, group, destination, prompt);
    if (!result.accepted) return AddFilesResult{};
    total.added += result.added;
    total.skipped += result.skipped;
    total.leftOut += result.leftOut;
  }
  return total;
}

void ChooseBaseDirectory(ProjectSettings& settings, FileTree& tree, const WString& folder,
                         Prompt& prompt) {
  WString directory = folder;
  CheckBaseDirectory(settings, tree, directory, true, prompt);
}

}  // namespace tidewell
