#pragma once

#include "UpdateRun.h"

namespace tidewatch {

// The client's switches for what the user sees (strings 7 and 9).
struct PageOptions {
  bool showErrors = false;  // failures in a message box; otherwise only logged
  bool warnOnExit = false;  // closing during a download or an apply asks first
};

// Checks, then runs an offered update: a "Silent" one without a window, a
// "Normal" one through the client's pages (Welcome, Reason, Terms, each when
// its text is in the server file, then Download and Installation complete).
// "Update not needed" shows as a page when nothing is offered and its text
// is there. Failures are shown (when the options say so) and logged. The
// outcome's message is left only when no page showed it.
engine::UpdateOutcome RunUpdateWithPages(const engine::ClientSettings& settings,
                                         const engine::UpdateServices& services, const PageOptions& options);

}  // namespace tidewatch
