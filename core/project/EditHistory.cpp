#include "project/EditHistory.h"

#include <algorithm>
#include <cstring>

namespace tidewell {

namespace {

// Texts are compared a block at a time: a project's text of many megabytes
// is mostly the same before and after an edit.
constexpr size_t kBlockUnits = 512;

size_t CommonPrefix(const WString& a, const WString& b) {
  const size_t limit = std::min(a.size(), b.size());
  size_t i = 0;
  while (i + kBlockUnits <= limit &&
         std::memcmp(a.data() + i, b.data() + i, kBlockUnits * sizeof(char16_t)) == 0)
    i += kBlockUnits;
  while (i < limit && a[i] == b[i]) ++i;
  return i;
}

// The units both end with, not counting the first `prefix` of either.
size_t CommonSuffix(const WString& a, const WString& b, size_t prefix) {
  const size_t limit = std::min(a.size(), b.size()) - prefix;
  const char16_t* endA = a.data() + a.size();
  const char16_t* endB = b.data() + b.size();
  size_t i = 0;
  while (i + kBlockUnits <= limit &&
         std::memcmp(endA - i - kBlockUnits, endB - i - kBlockUnits,
                     kBlockUnits * sizeof(char16_t)) == 0)
    i += kBlockUnits;
  while (i < limit && endA[-1 - static_cast<ptrdiff_t>(i)] == endB[-1 - static_cast<ptrdiff_t>(i)])
    ++i;
  return i;
}

// What a difference holds besides its text: its two positions.
constexpr size_t kPositionBytes = 2 * sizeof(size_t);

}  // namespace

size_t EditHistory::Bytes(const Step& step) {
  const size_t text = step.middle.size() * sizeof(char16_t);
  return step.prefix + step.suffix > 0 ? text + kPositionBytes : text;
}

void EditHistory::Reset(EditState current) {
  current_ = std::move(current);
  undo_.clear();
  redo_.clear();
  bytes_ = 0;
  room_ = WString();
}

bool EditHistory::Record(EditState now) {
  const size_t prefix = CommonPrefix(current_.text, now.text);
  if (prefix == current_.text.size() && prefix == now.text.size()) {
    room_ = std::move(now.text);
    return false;
  }
  for (const Step& step : redo_) bytes_ -= Bytes(step);
  redo_.clear();
  undo_.push_back(Difference(std::move(current_), now.text, prefix));
  bytes_ += Bytes(undo_.back());
  current_ = std::move(now);
  Trim();
  return true;
}

EditHistory::Step EditHistory::Difference(EditState&& older, const WString& newer, size_t prefix) {
  Step step;
  step.settings = std::move(older.settings);
  const size_t suffix = CommonSuffix(older.text, newer, prefix);
  const size_t middle = older.text.size() - prefix - suffix;
  if (prefix + suffix > 0 &&
      middle * sizeof(char16_t) + kPositionBytes < older.text.size() * sizeof(char16_t)) {
    step.prefix = prefix;
    step.suffix = suffix;
    step.middle.assign(older.text, prefix, middle);
    room_ = std::move(older.text);
  } else {
    step.middle = std::move(older.text);
  }
  return step;
}

EditHistory::Step EditHistory::Swap(Step step) {
  WString& text = current_.text;
  Step shown;
  shown.prefix = step.prefix;
  shown.suffix = step.suffix;
  if (step.prefix + step.suffix == 0) {
    shown.middle = std::move(text);
    text = std::move(step.middle);
  } else {
    const size_t length = text.size() - step.prefix - step.suffix;
    shown.middle.assign(text, step.prefix, length);
    text.replace(step.prefix, length, step.middle);
  }
  shown.settings = std::move(current_.settings);
  current_.settings = std::move(step.settings);
  return shown;
}

const EditState* EditHistory::Undo() {
  if (undo_.empty()) return nullptr;
  Step step = std::move(undo_.back());
  undo_.pop_back();
  bytes_ -= Bytes(step);
  redo_.push_back(Swap(std::move(step)));
  bytes_ += Bytes(redo_.back());
  return &current_;
}

const EditState* EditHistory::Redo() {
  if (redo_.empty()) return nullptr;
  Step step = std::move(redo_.back());
  redo_.pop_back();
  bytes_ -= Bytes(step);
  undo_.push_back(Swap(std::move(step)));
  bytes_ += Bytes(undo_.back());
  return &current_;
}

void EditHistory::Trim() {
  // Only undo states are dropped: Trim runs after an edit, when redo is empty.
  while (!undo_.empty() && (undo_.size() > depthLimit_ || bytes_ > byteLimit_)) {
    bytes_ -= Bytes(undo_.front());
    undo_.pop_front();
  }
}

}  // namespace tidewell
