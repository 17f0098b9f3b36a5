#include "project/EditHistory.h"

namespace tidewell {

namespace {
size_t Bytes(const EditState& state) { return state.text.size() * sizeof(char16_t); }
}  // namespace

void EditHistory::Reset(EditState current) {
  current_ = std::move(current);
  undo_.clear();
  redo_.clear();
  bytes_ = 0;
}

bool EditHistory::Record(EditState now) {
  if (now.text == current_.text) return false;
  for (const EditState& state : redo_) bytes_ -= Bytes(state);
  redo_.clear();
  bytes_ += Bytes(current_);
  undo_.push_back(std::move(current_));
  current_ = std::move(now);
  Trim();
  return true;
}

const EditState* EditHistory::Undo() {
  if (undo_.empty()) return nullptr;
  redo_.push_back(std::move(current_));
  current_ = std::move(undo_.back());
  undo_.pop_back();
  bytes_ += Bytes(redo_.back());
  bytes_ -= Bytes(current_);
  return &current_;
}

const EditState* EditHistory::Redo() {
  if (redo_.empty()) return nullptr;
  undo_.push_back(std::move(current_));
  current_ = std::move(redo_.back());
  redo_.pop_back();
  bytes_ += Bytes(undo_.back());
  bytes_ -= Bytes(current_);
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
