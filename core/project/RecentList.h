#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "text/WString.h"

namespace tidewell {

class Preferences;

// One entry of the recent-projects list: the project name, "|", and the full
// path of the project file.
WString MakeRecentEntry(std::u16string_view projectName, std::u16string_view projectFilePath);
// The entry is split at the first "|" that is followed by an absolute path
// (at its first "|" when none is): a project name may itself hold "|".
// The displayed name is the part before it; the whole entry when it has no "|".
WString RecentEntryName(std::u16string_view entry);
// The part after it; the whole entry when it has no "|".
WString RecentEntryPath(std::u16string_view entry);

// An item of the File menu's recent-projects part.
struct RecentMenuItem {
  WString label;  // "&%i %s": position from 1, displayed name
  WString path;   // what opening the item loads; empty for the "(empty)" item
  bool enabled = true;
};

// The recent projects, oldest first, at most Maximum() of them. Stored in the
// preferences as "DocumentCount" (the maximum, not the number stored) and
// "Document1" (the most recent), "Document2", ...
class RecentList {
 public:
  static constexpr int kDefaultMaximum = 5;
  static constexpr int kLowestMaximum = 2;
  static constexpr int kHighestMaximum = 16;
  // Longer entries are not recorded: the stored value is read back through a
  // buffer of 260 characters, terminator included, and a cut entry would name
  // another file.
  static constexpr size_t kMaxEntryLength = 259;
  // The open-project dialog lists at most this many.
  static constexpr size_t kMaxDialogEntries = 15;

  int Maximum() const { return maximum_; }
  // Clamped to 2 to 16; entries beyond the new maximum are dropped, oldest first.
  void SetMaximum(int maximum);

  // Removes an entry naming the same project first (names compared without
  // regard to case, paths by the host's rule), drops the oldest when the list
  // is full, and appends the entry as the most recent. False, with the list
  // unchanged, for an empty entry or one longer than kMaxEntryLength.
  bool Add(const WString& entry);

  const std::vector<WString>& Entries() const { return entries_; }  // oldest first
  std::vector<WString> MostRecentFirst() const;
  bool Empty() const { return entries_.empty(); }

  // Reads the stored maximum (clamped) and the entries "Document" + n for n
  // from the maximum down to 1, skipping values that are missing, empty or
  // too long. Without a stored count the list stays as it was and the answer
  // is false.
  bool ReadFrom(const Preferences& preferences);
  // Stores the maximum and the entries, and removes the "Document" values
  // beyond them. A refused write ends the write silently.
  void WriteTo(Preferences& preferences) const;

  // Most recent first; an empty list gives the single disabled "(empty)" item.
  std::vector<RecentMenuItem> MenuItems() const;

 private:
  int maximum_ = kDefaultMaximum;
  std::vector<WString> entries_;
};

// "Document" + n, the name of the n-th most recent stored entry.
WString RecentValueName(int n);

}  // namespace tidewell
