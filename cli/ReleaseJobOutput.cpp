#include "cli/ReleaseJobOutput.h"

#include <iostream>

#include "cli/ClientCommandSupport.h"
#include "cli/CliPrompt.h"

namespace tidewell::cli {

namespace {

const char* StageName(publish::JobStage stage) {
  switch (stage) {
    case publish::JobStage::Reading: return "Reading ";
    case publish::JobStage::Sending: return "Sending ";
    case publish::JobStage::Checking: return "Checking";
  }
  return "";
}

}  // namespace

int ReportJob(const publish::JobResult& result) {
  for (const std::string& line : publish::DescribeResult(result)) std::cout << line << '\n';
  std::cout << std::flush;
  if (!result.message.empty()) PrintError(result.message);
  return ExitCodeFor(result.outcome);
}

publish::JobProgressFn ProgressLine(TerminalProgress& line) {
  return [&line](const publish::JobProgress& progress) {
    line.Show(StageName(progress.stage), progress.file, progress.done, progress.total);
    return true;
  };
}

}  // namespace tidewell::cli
