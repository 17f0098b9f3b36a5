#pragma once

namespace tidewell::app {

// The desktop tool's process: the window, its start-up and its end. Answers
// the exit code: 1 after a normal close, 0 when the window could not be made.
int RunDesktopTool(int argc, char* argv[]);

}  // namespace tidewell::app
