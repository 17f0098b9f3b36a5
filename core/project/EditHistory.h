#pragma once

#include <cstddef>
#include <deque>
#include "project/ProjectSettings.h"
#include "text/WString.h"

namespace tidewell {

// One state of a project: its file text, and its settings exactly as held
// (a value typed with CR LF line breaks reads back from the text with LF, so
// the text alone would not bring back the state the user saw).
struct EditState {
  WString text;
  ProjectSettings settings;
};

// The undo and redo stacks of one open project, as whole project states: the
// state before each recorded edit, and the states undone. The text of the
// state shown is kept too, so an edit is recorded by the state it leads to
// alone, and an edit that changed nothing (the same text) records nothing.
//
// The oldest states are dropped once the stacks together hold more than
// `byteLimit` bytes of text or `depthLimit` states; the latest state is always kept.
class EditHistory {
 public:
  static constexpr size_t kDefaultByteLimit = size_t{512} << 20;
  static constexpr size_t kDefaultDepthLimit = 100;

  explicit EditHistory(size_t byteLimit = kDefaultByteLimit,
                       size_t depthLimit = kDefaultDepthLimit)
      : byteLimit_(byteLimit), depthLimit_(depthLimit) {}

  // A new start (a project opened, created or reloaded): no undo, no redo.
  void Reset(EditState current);
  // The project is now in state `now`. False when that is the state shown
  // already; otherwise the state before is kept for undo and redo is emptied.
  bool Record(EditState now);

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  // Steps back or forward; the answer is the state to show now,
  // or null when there is none.
  const EditState* Undo();
  const EditState* Redo();

  const EditState& Current() const { return current_; }
  size_t UndoDepth() const { return undo_.size(); }

 private:
  void Trim();

  size_t byteLimit_;
  size_t depthLimit_;
  EditState current_;
  std::deque<EditState> undo_;  // oldest first
  std::deque<EditState> redo_;  // most recently undone last
  size_t bytes_ = 0;              // held in both stacks
};

}  // namespace tidewell
