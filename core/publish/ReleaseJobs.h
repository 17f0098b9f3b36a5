#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "build/CommandOutcome.h"
#include "publish/Publisher.h"
#include "publish/ReleaseCheck.h"
#include "publish/TargetOptions.h"
#include "text/WString.h"

namespace tidewell {
class ProjectDocument;
}

namespace tidewell::publish {

// What the publisher asked for.
struct PublishRequest {
  std::string to;       // the server file's folder
  std::string filesTo;  // the update files' place, when not below it
  TargetOptions options;
  bool prune = false;
  bool check = true;       // check the release as a client sees it afterwards
  WString signingKeyFile;  // the key the check trusts; empty: the build's
};

enum class JobStage { Reading, Sending, Checking };

struct JobProgress {
  JobStage stage = JobStage::Reading;
  std::string file;  // the file being sent or checked
  std::uint64_t done = 0, total = 0;
};
// false cancels.
using JobProgressFn = std::function<bool(const JobProgress&)>;

struct JobResult {
  CommandOutcome outcome = CommandOutcome::Failed;
  std::string message;  // why it was refused or failed
  PublishReport publish;
  bool checked = false;
  ReleaseCheckReport check;
};

// Publishes the project's built release: checks it is the one signed,
// works out from the client's two addresses where the server file and the
// update files go, publishes (see Publish) and, unless told not to, checks
// the result over http(s) as a client would. Refused (with the reason):
// addresses a publish cannot place, files elsewhere with no place named for
// them. Failed: the release could not be read, sent or checked whole.
JobResult PublishProject(const ProjectDocument& document, const PublishRequest& request,
                         const JobProgressFn& progress);

// Checks the project's published release as a client sees it, with the
// project's key (or `signingKeyFile`).
JobResult CheckProjectRelease(const ProjectDocument& document, const WString& signingKeyFile,
                              const JobProgressFn& progress);

// The result as lines for the publisher: what was sent, kept, left, pruned,
// and each problem the check found with its address.
std::vector<std::string> DescribeResult(const JobResult& result);

}  // namespace tidewell::publish
