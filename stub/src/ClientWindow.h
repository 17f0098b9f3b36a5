#pragma once

#include <string>

namespace tidewatch {

// What one client window shows: the top picture across the top, then the
// heading and the body, with a Close button at the bottom.
struct ClientWindowContent {
  std::u16string title;
  std::u16string heading;
  std::u16string body;
  // The preview: the main picture at the left and the body in a scrolling
  // read-only text box. Otherwise the icon at the left and the body as text.
  bool preview = false;
};

// Shows the window and runs until it is closed. Answers 0 after a normal
// close, 1 when no window could be made (no display).
int RunClientWindow(const ClientWindowContent& content);

}  // namespace tidewatch
