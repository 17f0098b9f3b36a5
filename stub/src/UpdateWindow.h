#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ClientLook.h"

namespace tidewatch {

// One page of the client's update window.
struct PageView {
  enum Kind {
    Text,      // a text in a scrolling box
    Terms,     // a text and "I accept", which Next waits for
    Progress,  // a line, a progress bar and a second line
  };
  Kind kind = Text;
  std::u16string name;     // "welcome", "reason", ...: the page's name in the test hooks
  std::u16string heading;
  std::u16string body;     // Text and Terms
  std::u16string back;     // the buttons' captions; empty: the button is hidden
  std::u16string next;
  std::u16string cancel;
};

// What the window reports to the one who runs the pages.
class PageEvents {
 public:
  virtual ~PageEvents() = default;
  virtual void OnBack() = 0;
  virtual void OnNext() = 0;
  virtual void OnCancel() = 0;
  // The title bar's close, Alt+F4 or the system menu.
  virtual void OnCloseRequest() = 0;
  // A message posted with UpdateWindow::Post, on the window's thread.
  virtual void OnPosted(WPARAM what, LPARAM value) = 0;
  // The answer to UpdateWindow::CallFromWorker.
  virtual LRESULT OnCall(WPARAM what) = 0;
  // Every few tenths of a second after StartTicks.
  virtual void OnTick() {}
};

// The client's update window: the top picture across the top, the main
// picture at the left, a page at the right, Back, Next and Cancel in a bar at
// the bottom. Every page works with the keyboard (Tab, Enter for the default
// button, Escape for Cancel, Alt with the underlined letters), and its texts
// are real controls that screen readers read.
class UpdateWindow {
 public:
  UpdateWindow(std::u16string title, PageEvents& events);
  ~UpdateWindow();
  UpdateWindow(const UpdateWindow&) = delete;
  UpdateWindow& operator=(const UpdateWindow&) = delete;

  bool Create();
  void Show(const PageView& page);
  const PageView& page() const { return page_; }
  void EnableNext(bool enabled);
  void EnableCancel(bool enabled);
  bool Accepted() const;
  // The Progress page: the two lines and the bar (0 to 1000).
  void SetProgress(const std::u16string& line, const std::u16string& detail, int permille);
  // Runs until Close; answers when the window is gone.
  void Run();
  void Close();
  HWND handle() const { return window_; }
  void StartTicks(UINT milliseconds);
  // From any thread: OnPosted runs later on the window's thread.
  void Post(WPARAM what, LPARAM value);
  // From a worker thread: OnCall runs on the window's thread; waits for it.
  LRESULT CallFromWorker(WPARAM what);

  // The test hooks' view: the control a test answer presses.
  HWND Control(int id) const;
  // The window's pixels as a 24-bit bitmap file.
  bool SaveSnapshot(const std::u16string& path) const;

  static constexpr int kBack = 10, kNext = IDOK, kCancel = IDCANCEL, kAccept = 11, kBar = 103;

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void Place();
  void Paint();

  std::u16string title_;
  PageEvents& events_;
  ClientLook look_;
  ClientFonts fonts_;
  HBRUSH white_ = nullptr;
  HWND window_ = nullptr;
  PageView page_;
  double scale_ = 1.0;
  int width_ = 0, height_ = 0;
};

}  // namespace tidewatch
