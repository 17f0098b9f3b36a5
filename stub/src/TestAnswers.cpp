#include "TestAnswers.h"

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "UpdateWindow.h"
#include "WideText.h"

namespace tidewatch {

namespace {

std::u16string Environment(const wchar_t* name) {
  wchar_t buffer[2048];
  const DWORD n = GetEnvironmentVariableW(name, buffer, 2048);
  return n == 0 || n >= 2048 ? std::u16string() : FromWide(std::wstring_view(buffer, n));
}

}  // namespace

TestAnswers::TestAnswers() {
  const std::u16string answers = Environment(L"TIDEWATCH_TEST_ANSWERS");
  snapshots_ = Environment(L"TIDEWATCH_TEST_SNAPSHOTS");
  size_t start = 0;
  while (start < answers.size()) {
    const size_t end = std::min(answers.find(u',', start), answers.size());
    if (end > start) words_.push_back(answers.substr(start, end - start));
    start = end + 1;
  }
  active_ = !answers.empty() || !snapshots_.empty();
}

int TestAnswers::TakeBoxAnswer() {
  static const std::pair<std::u16string_view, int> kBoxes[] = {
      {u"box-ok", IDOK}, {u"box-yes", IDYES}, {u"box-no", IDNO}, {u"box-retry", IDRETRY}, {u"box-cancel", IDCANCEL}};
  if (words_.empty()) return 0;
  for (const auto& [word, answer] : kBoxes) {
    if (words_.front() == word) {
      words_.pop_front();
      return answer;
    }
  }
  return 0;
}

void TestAnswers::Tick(UpdateWindow& window) {
  if (words_.empty() || !window.handle()) return;
  const std::u16string word = words_.front();
  if (word == u"close") {
    words_.pop_front();
    PostMessageW(window.handle(), WM_CLOSE, 0, 0);
    return;
  }
  // Keys go where typed keys go: to the control with the focus, through the
  // window's keyboard handling.
  if (word.starts_with(u"key-")) {
    words_.pop_front();
    HWND focus = GetFocus() ? GetFocus() : window.handle();
    if (word == u"key-enter") PostMessageW(focus, WM_KEYDOWN, VK_RETURN, 1);
    else if (word == u"key-escape") PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 1);
    else if (word.starts_with(u"key-alt-") && word.size() == 9)
      PostMessageW(focus, WM_SYSCHAR, static_cast<WPARAM>(word[8]), 1 | (1 << 29));
    return;
  }
  if (word == u"progress") {
    HWND bar = window.Control(UpdateWindow::kBar);
    if (bar && IsWindowVisible(bar) && SendMessageW(bar, PBM_GETPOS, 0, 0) > 0) words_.pop_front();
    return;
  }
  int id = 0;
  if (word == u"next") id = UpdateWindow::kNext;
  else if (word == u"back") id = UpdateWindow::kBack;
  else if (word == u"accept") id = UpdateWindow::kAccept;
  else if (word == u"cancel") id = UpdateWindow::kCancel;
  else return;  // a message box's answer waits for its box
  HWND control = window.Control(id);
  if (!control || !IsWindowVisible(control) || !IsWindowEnabled(control)) return;
  words_.pop_front();
  // As a click does: the control's own notification reaches the window.
  PostMessageW(control, BM_CLICK, 0, 0);
}

void TestAnswers::Snapshot(const UpdateWindow& window, const std::u16string& name) {
  if (snapshots_.empty() || std::find(saved_.begin(), saved_.end(), name) != saved_.end()) return;
  saved_.push_back(name);
  window.SaveSnapshot(snapshots_ + u"\\client-" + name + u".bmp");
}

}  // namespace tidewatch
