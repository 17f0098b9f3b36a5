#include "project/RecentList.h"

#include <algorithm>

#include "project/Preferences.h"
#include "text/Text.h"

namespace tidewell {

namespace {

constexpr std::u16string_view kCountValue = u"DocumentCount";

bool StartsAbsolutePath(std::u16string_view text) {
#ifdef _WIN32
  if (text.size() >= 2 && text[0] == u'\\' && text[1] == u'\\') return true;
  return text.size() >= 3 && text[1] == u':' && (text[2] == u'\\' || text[2] == u'/');
#else
  return !text.empty() && text.front() == u'/';
#endif
}

// Where the name ends: at the first "|" that is followed by an absolute path,
// so that a name holding "|" still leads to its project; an entry without one
// is split at its first "|".
size_t NameEnd(std::u16string_view entry) {
  for (size_t bar = entry.find(u'|'); bar != std::u16string_view::npos; bar = entry.find(u'|', bar + 1))
    if (StartsAbsolutePath(entry.substr(bar + 1))) return bar;
  return entry.find(u'|');
}

bool SameProject(std::u16string_view a, std::u16string_view b) {
  return text::EqualsNoCase(RecentEntryName(a), RecentEntryName(b)) &&
         text::HostPathsEqual(RecentEntryPath(a), RecentEntryPath(b));
}

}  // namespace

WString MakeRecentEntry(std::u16string_view projectName, std::u16string_view projectFilePath) {
  WString entry(projectName);
  entry += u'|';
  entry += projectFilePath;
  return entry;
}

WString RecentEntryName(std::u16string_view entry) { return WString(entry.substr(0, NameEnd(entry))); }

WString RecentEntryPath(std::u16string_view entry) {
  const size_t bar = NameEnd(entry);
  return WString(bar == std::u16string_view::npos ? entry : entry.substr(bar + 1));
}

WString RecentValueName(int n) { return u"Document" + text::FormatDecimal(n); }

void RecentList::SetMaximum(int maximum) {
  maximum_ = std::clamp(maximum, kLowestMaximum, kHighestMaximum);
  if (entries_.size() > static_cast<size_t>(maximum_))
    entries_.erase(entries_.begin(),
                   entries_.begin() + static_cast<std::ptrdiff_t>(entries_.size() - maximum_));
}

bool RecentList::Add(const WString& entry) {
  if (entry.empty() || entry.size() > kMaxEntryLength) return false;
  std::erase_if(entries_, [&](const WString& existing) { return SameProject(existing, entry); });
  if (entries_.size() >= static_cast<size_t>(maximum_))
    entries_.erase(entries_.begin(),
                   entries_.begin() + static_cast<std::ptrdiff_t>(entries_.size() - maximum_ + 1));
  entries_.push_back(entry);
  return true;
}

std::vector<WString> RecentList::MostRecentFirst() const {
  return {entries_.rbegin(), entries_.rend()};
}

bool RecentList::ReadFrom(const Preferences& preferences) {
  const std::optional<int32_t> count = preferences.ReadNumber(kRecentDocumentGroup, kCountValue);
  if (!count) return false;
  maximum_ = std::clamp<int>(*count, kLowestMaximum, kHighestMaximum);
  entries_.clear();
  for (int n = maximum_; n >= 1; --n) {
    const std::optional<WString> entry = preferences.ReadText(kRecentDocumentGroup, RecentValueName(n));
    if (entry && !entry->empty() && entry->size() <= kMaxEntryLength) entries_.push_back(*entry);
  }
  return true;
}

void RecentList::WriteTo(Preferences& preferences) const {
  if (!preferences.WriteNumber(kRecentDocumentGroup, kCountValue, maximum_)) return;
  const int stored = static_cast<int>(entries_.size());
  for (int n = stored; n >= 1; --n) {
    if (!preferences.WriteText(kRecentDocumentGroup, RecentValueName(n),
                               entries_[static_cast<size_t>(stored - n)]))
      return;
  }
  // Up to the highest maximum, so that no stale entry stays behind a shorter list.
  for (int n = stored + 1; n <= kHighestMaximum; ++n)
    if (!preferences.Remove(kRecentDocumentGroup, RecentValueName(n))) return;
}

std::vector<RecentMenuItem> RecentList::MenuItems() const {
  std::vector<RecentMenuItem> items;
  if (entries_.empty()) {
    items.push_back({u"(empty)", {}, false});
    return items;
  }
  int position = 1;
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it, ++position) {
    WString label(1, u'&');
    label += text::FormatDecimal(position);
    label += u' ';
    label += RecentEntryName(*it);
    items.push_back({std::move(label), RecentEntryPath(*it), true});
  }
  return items;
}

}  // namespace tidewell
