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

// The undo and redo stacks of one open project. The state shown is kept
// whole; every other state is kept as its difference from its neighbour
// nearer the state shown: the one run of its text between the units both
// texts start with and the units both end with. Stepping back or forward
// swaps that run with the one shown, so an edit of one field of a large
// project keeps a few units, and a deleted folder keeps the folder's lines.
// An edit is recorded by the state it leads to alone, and an edit that
// changed nothing (the same text) records nothing.
//
// The oldest states are dropped once the stacks together hold more than
// `byteLimit` bytes of text or `depthLimit` states; the latest state is
// always kept. A difference is charged for its two positions as well, and a
// state whose whole text is smaller than that is kept whole.
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
  // Room for the text of the next state, left by a state no longer held
  // whole (its contents are of no use): writing into it takes no fresh memory.
  WString TakeRoom() { return std::move(room_); }

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  // Steps back or forward; the answer is the state to show now,
  // or null when there is none.
  const EditState* Undo();
  const EditState* Redo();

  const EditState& Current() const { return current_; }
  size_t UndoDepth() const { return undo_.size(); }

 private:
  // A state other than the one shown: its text is the neighbour's with the
  // units after `prefix` and before the last `suffix` replaced by `middle`.
  struct Step {
    size_t prefix = 0;
    size_t suffix = 0;
    WString middle;
    ProjectSettings settings;
  };
  static size_t Bytes(const Step& step);
  // `older` as a step beside `newer` (the two start with `prefix` units
  // alike); a text no longer needed becomes the room for the next one.
  Step Difference(EditState&& older, const WString& newer, size_t prefix);
  // Makes `step` the state shown; the answer is the state shown before, as a
  // step beside it.
  Step Swap(Step step);
  void Trim();

  size_t byteLimit_;
  size_t depthLimit_;
  EditState current_;
  std::deque<Step> undo_;  // oldest first
  std::deque<Step> redo_;  // most recently undone last
  size_t bytes_ = 0;       // held in both stacks
  WString room_;
};

}  // namespace tidewell
