#include "publish/ReleaseJobs.h"

#include <fstream>
#include <iterator>

#include "project/ProjectDocument.h"
#include "signing/ProjectKey.h"
#include "text/Text.h"

namespace tidewell::publish {

namespace fs = std::filesystem;

namespace {

JobResult Ended(CommandOutcome outcome, std::string message) {
  JobResult result;
  result.outcome = outcome;
  result.message = std::move(message);
  return result;
}

bool ReadAddresses(const ProjectDocument& document, ReleaseAddresses& addresses, std::string& error) {
  return ReadReleaseAddresses(text::ToUtf8(document.settings.RawValue(SettingKey::HTTPLocationXML)),
                              text::ToUtf8(document.settings.RawValue(SettingKey::HTTPLocationFiles)),
                              addresses, error);
}

void Check(const ProjectDocument& document, const ReleaseAddresses& addresses,
           const WString& keyFile, const JobProgressFn& progress, JobResult& result) {
  std::string error;
  const auto key = KeyForBuild(document.settings.RawValue(SettingKey::ProjName), keyFile, false, error);
  if (!key) {
    result = Ended(CommandOutcome::Failed,
                   error.empty() ? "the project has no signing key to check the release with" : error);
    return;
  }
  std::optional<std::string> built;
  std::ifstream in(text::ToPath(document.ServerFilePath()), std::ios::binary);
  if (in) built = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  result.checked = true;
  const bool ran = CheckPublishedRelease(
      addresses, key->key.pair.publicKey, built,
      [&](const std::string& url, std::uint64_t done, std::uint64_t total) {
        return !progress || progress({JobStage::Checking, url, done, total});
      },
      result.check, error);
  if (!ran) {
    result.outcome = CommandOutcome::Failed;
    result.message = error;
  } else if (!result.check.Whole()) {
    result.outcome = CommandOutcome::Failed;
    result.message = "the published release is not whole: clients would fail to update";
  } else {
    result.outcome = CommandOutcome::Done;
  }
}

}  // namespace

JobResult PublishProject(const ProjectDocument& document, const PublishRequest& request,
                         const JobProgressFn& progress) {
  if (!document.HasProject()) return Ended(CommandOutcome::Refused, "no project is open");
  ReleaseAddresses addresses;
  std::string error;
  if (!ReadAddresses(document, addresses, error)) return Ended(CommandOutcome::Refused, error);
  if (addresses.hasQuery)
    return Ended(CommandOutcome::Refused,
                 "the update XML file's address " + addresses.serverFileUrl +
                     " asks a program on the server (it has parameters): publish can only place a "
                     "file the server serves as it is");
  if (addresses.serverFileName.empty())
    return Ended(CommandOutcome::Refused, "the update XML file's address " +
                                              addresses.serverFileUrl + " names a folder, not a file");
  if (!addresses.filesPrefix && request.filesTo.empty())
    return Ended(CommandOutcome::Refused,
                 addresses.whyElsewhere + ", so they cannot go below the target: name a second "
                                          "target for the update files (--files-to)");

  auto server = OpenTarget(request.to, request.options, error);
  if (!server) return Ended(CommandOutcome::Refused, error);
  std::unique_ptr<PublishTarget> files;
  PublishPlaces places{server.get(), addresses.serverFileName, server.get(),
                       addresses.filesPrefix.value_or("")};
  if (!request.filesTo.empty()) {
    files = OpenTarget(request.filesTo, request.options, error);
    if (!files) return Ended(CommandOutcome::Refused, error);
    places.files = files.get();
    places.filesPrefix.clear();
  }

  LocalRelease release;
  if (!ReadLocalRelease(text::ToPath(document.ServerFilePath()),
                        document.settings.RawValue(SettingKey::UpdateFilesDir), release, error,
                        [&](std::uint64_t done, std::uint64_t total) {
                          return !progress || progress({JobStage::Reading, "", done, total});
                        }))
    return Ended(error == "cancelled" ? CommandOutcome::Refused : CommandOutcome::Failed,
                 error == "cancelled" ? "the publish was cancelled; nothing was sent" : error);

  JobResult result;
  if (!Publish(release, places, request.prune,
               [&](const PublishProgress& sent) {
                 return !progress || progress({JobStage::Sending, sent.file, sent.sent, sent.toSend});
               },
               result.publish, error)) {
    result.outcome = result.publish.cancelled ? CommandOutcome::Refused : CommandOutcome::Failed;
    result.message = error;
    return result;
  }
  result.outcome = CommandOutcome::Done;
  if (request.check) Check(document, addresses, request.signingKeyFile, progress, result);
  return result;
}

JobResult CheckProjectRelease(const ProjectDocument& document, const WString& signingKeyFile,
                              const JobProgressFn& progress) {
  if (!document.HasProject()) return Ended(CommandOutcome::Refused, "no project is open");
  ReleaseAddresses addresses;
  std::string error;
  if (!ReadAddresses(document, addresses, error)) return Ended(CommandOutcome::Refused, error);
  JobResult result;
  Check(document, addresses, signingKeyFile, progress, result);
  return result;
}

std::vector<std::string> DescribeResult(const JobResult& result) {
  std::vector<std::string> lines;
  const PublishReport& report = result.publish;
  if (!report.sent.empty() || report.unchanged > 0) {
    lines.push_back("Sent " + std::to_string(report.sent.size()) + " file(s), " +
                    std::to_string(report.bytesSent) + " bytes; " +
                    std::to_string(report.unchanged) + " update file(s) were on the target already.");
    for (const std::string& path : report.sent) lines.push_back("  sent " + path);
  }
  if (!report.leftInPlace.empty()) {
    lines.push_back("Left in place for clients that still hold the previous release (no longer listed):");
    for (const std::string& path : report.leftInPlace) lines.push_back("  " + path);
  }
  for (const std::string& path : report.pruned) lines.push_back("Removed " + path);
  if (result.checked) {
    for (const ReleaseProblem& problem : result.check.problems)
      lines.push_back(problem.url + ": " + problem.what);
    if (result.check.Whole())
      lines.push_back("The published release is whole: " + std::to_string(result.check.filesChecked) +
                      " file(s) checked as a client fetches them.");
  }
  return lines;
}

}  // namespace tidewell::publish
