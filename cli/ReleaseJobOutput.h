#pragma once

#include "cli/TerminalProgress.h"
#include "publish/ReleaseJobs.h"

namespace tidewell::cli {

// Prints a publish's or a check's result (problems on stderr) and answers
// the exit code.
int ReportJob(const publish::JobResult& result);
// Shows a job's progress on the terminal line.
publish::JobProgressFn ProgressLine(TerminalProgress& line);

}  // namespace tidewell::cli
