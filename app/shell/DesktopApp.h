#pragma once

namespace tidewell::app {

// The desktop tool's process: the window, its start-up and its end. Answers
// the exit code: 1 after a normal close, 0 when the window could not be made.
// With `quitWhenIdle` the process ends as soon as the window, its project
// open, has been painted and waits for the user (the start-up benchmark).
int RunDesktopTool(int argc, char* argv[], bool quitWhenIdle = false);

}  // namespace tidewell::app
