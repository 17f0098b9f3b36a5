#include "files/DirectoryComparison.h"

#include <filesystem>
#include <optional>
#include <utility>
#include <system_error>
#include <vector>

#include "files/ClientFileNames.h"
#include "files/FileRecord.h"
#include "files/FileSelection.h"
#include "files/FileTree.h"
#include "project/ProjectSettings.h"
#include "text/Text.h"

namespace tidewell {

namespace {

namespace fs = std::filesystem;

const WString kNoOldDirectory =
    u"No directory is selected. Click and select the directory containing the existing version "
    u"of your product.";
const WString kNoLatestDirectory =
    u"No directory is selected. Click and select the directory containing the latest (current) "
    u"version of your product.";

// One directory of the new version being listed.
struct Frame {
  fs::directory_iterator entries;
  fs::path oldPath;
  fs::path newPath;
  WString newText;  // the directory as the base-directory rule sees it
  long long count = 0;
  // Where this directory's files go, valid while the base update directory
  // is the one it was worked out with (a change of base empties the tree).
  bool hasDestination = false;
  WString baseAtCheck;
  WString src;
  TreeNode* destination = nullptr;
  std::optional<fs::path> canonical;  // worked out only when a link needs it
};

class Comparison {
 public:
  Comparison(ProjectSettings& settings, FileTree& tree, Prompt& prompt, ComparisonReport& report,
             const ComparisonObserver& observer)
      : settings_(settings), tree_(tree), prompt_(prompt), report_(report), observer_(observer) {}

  bool Run(const WString& oldDir, const WString& newDir, long long count) {
    newRoot_ = newDir;
    if (!Enter(text::ToPath(oldDir), text::ToPath(newDir), newDir, count)) return false;
    while (!stack_.empty()) {
      Frame& frame = stack_.back();
      if (frame.entries == fs::directory_iterator()) {
        stack_.pop_back();
        continue;
      }
      const fs::directory_entry entry = *frame.entries;
      std::error_code ec;
      frame.entries.increment(ec);
      // The rest of a listing that breaks off cannot be read.
      if (ec) frame.entries = fs::directory_iterator();
      if (!Tick(frame.count)) return false;
      if (!Report(frame)) return false;

      if (entry.is_directory(ec) && !ec) {
        if (entry.is_symlink(ec) && LeadsBackIntoWalk(entry.path())) continue;
        const fs::path name = entry.path().filename();
        if (!IsWindowsFileName(text::FromPath(name))) {
          ++report_.leftOut;  // the folder and whatever it holds
          continue;
        }
        const WString childText = text::JoinHostPath(frame.newText, text::FromPath(name));
        // `frame` is not used after this: entering may move the stack.
        if (!Enter(frame.oldPath / name, entry.path(), childText, frame.count)) return false;
        continue;
      }
      if (!entry.is_regular_file(ec) || ec) continue;
      if (!IsNewer(entry, frame.oldPath / entry.path().filename())) continue;
      if (!IsWindowsFileName(text::FromPath(entry.path().filename()))) {
        ++report_.leftOut;
        continue;
      }
      if (!Take(frame, entry.path().filename())) return false;
    }
    if (report_.leftOut > 0)
      prompt_.ShowMessage(kLeftOutCaption, LeftOutMessage(report_.leftOut), MessageIcon::Warning);
    return true;
  }

 private:
  // Counts one entry; at every hundredth asks whether to go on.
  bool Tick(long long& count) {
    ++count;
    if (count % kEntriesPerQuestion != 0) return true;
    return prompt_.Ask(kLongOperationCaption, kLongOperationQuestion, Buttons::YesNo,
                       MessageIcon::Question) == Answer::Yes;
  }

  // Tells the observer where the walk stands; false when it stops the walk.
  bool Report(const Frame& frame) {
    ++entries_;
    if (!observer_) return true;
    return observer_(ComparisonProgress{frame.newText, entries_, report_.filesAdded});
  }

  // Starts listing a directory with the count its parent had; "." and ".."
  // count first. A directory that cannot be listed contributes nothing.
  bool Enter(fs::path oldPath, fs::path newPath, WString newText, long long count) {
    std::error_code ec;
    fs::directory_iterator entries(newPath, fs::directory_options::skip_permission_denied, ec);
    if (ec) return true;
    if (!Tick(count) || !Tick(count)) return false;
    Frame frame;
    frame.entries = std::move(entries);
    frame.oldPath = std::move(oldPath);
    frame.newPath = std::move(newPath);
    frame.newText = std::move(newText);
    frame.count = count;
    stack_.push_back(std::move(frame));
    return true;
  }

  // A missing old copy makes the file new; otherwise only a later last-write
  // time does. A time stamp that cannot be read skips the file.
  bool IsNewer(const fs::directory_entry& entry, const fs::path& oldPath) {
    std::error_code ec;
    const fs::file_time_type oldTime = fs::last_write_time(oldPath, ec);
    if (ec) {
      if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory) return true;
      return false;
    }
    const fs::file_time_type newTime = entry.last_write_time(ec);
    if (ec) return false;
    if (newTime <= oldTime) {
      ++report_.filesUnchanged;
      return false;
    }
    return true;
  }

  bool Take(Frame& frame, const fs::path& name) {
    const WString base = settings_.RawValue(SettingKey::UpdateFilesDir);
    if (!frame.hasDestination || frame.baseAtCheck != base) {
      // When the base must be set or moved, the new version's own folder is
      // offered, whichever of its folders holds the file: it holds every
      // folder of the walk, so the base moves at most once. A sub-folder
      // would become the base and the next file outside it would ask again,
      // emptying the tree of what this comparison had added.
      if (base.empty() || !LiesInsideBaseDirectory(settings_, frame.newText)) {
        WString root = newRoot_;
        if (!CheckBaseDirectory(settings_, tree_, root, false, prompt_)) return false;
        // Moving a base empties the tree: the files this comparison took
        // before go back in, relative to the new base.
        if (!base.empty()) RestoreTaken();
      }
      if (!Locate(frame.newText, frame.src, frame.destination)) return false;
      frame.baseAtCheck = settings_.RawValue(SettingKey::UpdateFilesDir);
      frame.hasDestination = true;
    }
    if (Insert(frame.destination, frame.src, text::FromPath(name))) {
      ++report_.filesAdded;
      taken_.push_back({frame.newText, text::FromPath(name)});
    } else {
      ++report_.duplicates;
    }
    return true;
  }

  // The Src and the destination node of files from `directory` of the new
  // version, which lies inside the base (no question is asked then).
  bool Locate(const WString& directory, WString& src, TreeNode*& destination) {
    WString relative = directory;
    if (!CheckBaseDirectory(settings_, tree_, relative, false, prompt_)) return false;
    src = text::ReduceDoubleBackslashes(relative);
    const WString path = WString(kComparisonDestinationRoot) + src;
    // A file of the tree standing where a folder of the new version goes
    // cannot hold files: the comparison ends there, as a refusal does.
    if (FileOnDestinationPath(tree_, path)) {
      prompt_.ShowMessage(kErrorCaption, DestinationIsAFileMessage(path), MessageIcon::Error);
      return false;
    }
    destination = tree_.AddDirectoryPath(path, nullptr);
    return true;
  }

  bool Insert(TreeNode* destination, const WString& src, const WString& name) {
    FileRecord record;
    record.Src = src;
    return tree_.InsertItem(destination, &record, name) != nullptr;
  }

  void RestoreTaken() {
    for (const auto& [directory, name] : taken_) {
      WString src;
      TreeNode* destination = nullptr;
      if (Locate(directory, src, destination)) Insert(destination, src, name);
    }
  }

  // A link to a directory that is already being walked would never end.
  bool LeadsBackIntoWalk(const fs::path& link) {
    std::error_code ec;
    const fs::path target = fs::canonical(link, ec);
    if (ec) return true;
    for (Frame& frame : stack_) {
      if (!frame.canonical) {
        frame.canonical = fs::canonical(frame.newPath, ec);
        if (ec) frame.canonical = frame.newPath;
      }
      if (*frame.canonical == target) return true;
    }
    return false;
  }

  ProjectSettings& settings_;
  FileTree& tree_;
  Prompt& prompt_;
  ComparisonReport& report_;
  const ComparisonObserver& observer_;
  size_t entries_ = 0;
  WString newRoot_;
  std::vector<Frame> stack_;
  // The files this comparison has added: the new version's folder and the name.
  std::vector<std::pair<WString, WString>> taken_;
};

}  // namespace

bool CompareDirectories(ProjectSettings& settings, FileTree& tree, const WString& oldDir,
                        const WString& newDir, long long count, Prompt& prompt,
                        ComparisonReport* report, const ComparisonObserver& observer) {
  ComparisonReport local;
  Comparison comparison(settings, tree, prompt, report ? *report : local, observer);
  return comparison.Run(oldDir, newDir, count);
}

bool ValidateAutoCompare(const WString& oldDir, const WString& latestDir, Prompt& prompt) {
  if (oldDir.empty()) {
    prompt.ShowBalloon(kOldVersionBrowseField, kInvalidParametersCaption, kNoOldDirectory,
                       MessageIcon::Error);
    return false;
  }
  if (latestDir.empty()) {
    prompt.ShowBalloon(kLatestVersionBrowseField, kInvalidParametersCaption, kNoLatestDirectory,
                       MessageIcon::Error);
    return false;
  }
  return true;
}

bool AutoCompare(ProjectSettings& settings, FileTree& tree, const WString& oldDir,
                 const WString& latestDir, Prompt& prompt, ComparisonReport* report,
                 const ComparisonObserver& observer) {
  BusyScope busy(prompt);
  return CompareDirectories(settings, tree, oldDir, latestDir, 0, prompt, report, observer);
}

}  // namespace tidewell
