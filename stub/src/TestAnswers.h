#pragma once

#include <deque>
#include <string>

namespace tidewatch {

class UpdateWindow;

// The hooks through which the end-to-end tests drive the update window, read
// from the environment (documented in stub/README.md):
// TIDEWATCH_TEST_ANSWERS, words separated by commas, used in order: "next",
// "back", "accept", "cancel" press that control as soon as it can be pressed
// (they wait for it), "progress" waits until the download has brought its
// first bytes, "close" closes the window as its title bar does,
// "key-enter", "key-escape" and "key-alt-X" type that key into the control
// with the focus (they do not wait), and
// "box-ok", "box-yes", "box-no", "box-retry", "box-cancel" answer the next
// message box instead of showing it.
// TIDEWATCH_TEST_SNAPSHOTS, a folder: each page is saved there as it shows,
// as client-NAME.bmp.
class TestAnswers {
 public:
  TestAnswers();
  bool Active() const { return active_; }
  // The answer to a message box (IDOK, IDYES, ...) when the next word is one,
  // else 0.
  int TakeBoxAnswer();
  // Presses what the next word names when it can be pressed now.
  void Tick(UpdateWindow& window);
  // Saves the window as the page `name`, once per name.
  void Snapshot(const UpdateWindow& window, const std::u16string& name);

 private:
  bool active_ = false;
  std::deque<std::u16string> words_;
  std::u16string snapshots_;
  std::deque<std::u16string> saved_;
};

}  // namespace tidewatch
