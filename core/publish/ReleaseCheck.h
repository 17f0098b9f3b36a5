#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "publish/ReleaseAddresses.h"
#include "signing/Ed25519.h"

namespace tidewell::publish {

// One way the published release differs from what clients need.
struct ReleaseProblem {
  std::string url;
  std::string what;  // "missing (404)", "other size: ...", "an HTML page instead of the file", ...
};

struct ReleaseCheckReport {
  std::vector<ReleaseProblem> problems;
  std::size_t filesChecked = 0;
  std::uint64_t bytesChecked = 0;
  bool Whole() const { return problems.empty(); }
};

// Told of each file as it is checked: its address, bytes read of all.
using CheckProgressFn =
    std::function<bool(const std::string& url, std::uint64_t done, std::uint64_t total)>;

// Checks a published release as a client sees it: the server file and its
// signature file from their addresses over http(s) (redirects followed, as
// a client follows them), the signature against `key`, then every file the
// signature lists at its download address, by size and SHA-256. With
// `builtServerFile`, the served server file must be that one (an older or a
// cached one is named as such). False only when the check itself could not
// run (cancelled); every difference is a problem in the report.
bool CheckPublishedRelease(const ReleaseAddresses& addresses, const signing::PublicKey& key,
                           const std::optional<std::string>& builtServerFile,
                           const CheckProgressFn& progress, ReleaseCheckReport& report,
                           std::string& error);

}  // namespace tidewell::publish
