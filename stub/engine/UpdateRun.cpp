#include "UpdateRun.h"

#include <algorithm>

#include "Download.h"
#include "InstallationState.h"
#include "Plan.h"
#include "RegistryData.h"
#include "Schedule.h"
#include "ServerUpdate.h"
#include "TargetPaths.h"
#include "Text.h"
#include "Transaction.h"
#include "signing/SignatureFile.h"
#include "UpdateRules.h"
#include "WholeFiles.h"
#include "ZipArchive.h"

namespace tidewatch::engine {

namespace {

// The server update file lists files and operations; far below this.
constexpr std::size_t kMaxServerFile = 16 * 1024 * 1024;
constexpr std::size_t kMaxSignature = 4u << 20;  // the signature file format's own bound
constexpr unsigned kInUsePollMs = 250;
constexpr unsigned kExecutionWaitMs = 60'000;
constexpr unsigned kFilesPerWorkFolder = 32;

void LogError(Log& log, const std::string& what) { log.Line("error: " + what); }

bool IsHttpsAddress(std::string_view address) {
  constexpr std::u16string_view kScheme = u"https://";
  return address.size() >= kScheme.size() && EqualsIgnoringCase(ToU16(address.substr(0, kScheme.size())), kScheme);
}

// The signature file lies beside the server file: ".sig" goes at the end of
// the address's path, before a query or fragment, so that a server file
// asked for with parameters ("check.php?ed=2") is signed by "check.php.sig?ed=2".
std::string SignatureUrl(const std::string& url) {
  std::size_t end = url.find_first_of("?#");
  if (end == std::string::npos) end = url.size();
  return url.substr(0, end) + ".sig" + url.substr(end);
}

// A file taken for the update.
struct TakenFile {
  const ServerFile* file;
  std::u16string target;
  std::u16string staged;
  DownloadRequest request;
};

}  // namespace

class Updater {
 public:
  Updater(const ClientSettings& settings, const UpdateServices& services)
      : settings_(settings), s_(services), work_(WorkFolder(services.places)) {}

  ~Updater() {
    // A journal left behind means an undo that did not finish: its backups stay.
    if (!s_.files.FileExists(JournalPath(s_.places))) s_.files.RemoveTree(work_);
  }

  UpdateOutcome outcome_;
  std::optional<ServerUpdate> update_;

 private:
  bool Fail(UpdateOutcome& outcome, const std::string& what) {
    outcome.result = UpdateOutcome::Failed;
    outcome.error = what;
    LogError(s_.log, what);
    return false;
  }

  std::u16string Fill(std::u16string_view text) { return FillClientVariables(text, s_.variables); }

  // Work files go into small folders of kFilesPerWorkFolder names each: where
  // names are matched without regard to case on a file system that keeps it
  // (wine on Linux), a name that does not exist yet is looked for by reading
  // its whole folder, and in one folder of a thousand names every new name
  // would cost a thousand compares.
  std::u16string NextStagedPath(std::u16string_view folder) {
    const unsigned n = ++counter_;
    return JoinPath(JoinPath(JoinPath(work_, folder), ToU16(std::to_string(n / kFilesPerWorkFolder))),
                    ToU16(std::to_string(n)));
  }

  // Makes the small folder of a work file's path, once.
  bool MakeWorkFolderOf(const std::u16string& path, UpdateOutcome& outcome) {
    const std::u16string folder = ParentPath(path);
    if (folder == lastWorkFolder_) return true;
    Failure failure;
    if (!s_.files.MakeFolder(folder, failure))
      return Fail(outcome, "could not make the work folder " + ToUtf8(folder) + ": " + Described(failure));
    lastWorkFolder_ = folder;
    return true;
  }

  std::vector<TakenFile> taken_;
  enum class Phase { Check, Download, Apply, Done } phase_ = Phase::Check;

 public:
  bool Check() {
    if (phase_ != Phase::Check) return false;
    phase_ = Phase::Done;
    UpdateOutcome& outcome = outcome_;
    const std::string url = ToUtf8(FillClientVariables(settings_.serverFileUrl, s_.variables, [](std::u16string_view v) {
      return ToU16(PercentEncode(ToUtf8(v)));
    }));
    s_.log.Line("checking " + url);
    std::string body;
    Failure failure;
    if (url.empty()) return Fail(outcome, "could not read the update information: the client names no address");
    // Without the publisher's key nothing but the connection vouches for
    // what is installed, so a plain http:// one is refused.
    if (!s_.verifier) {
      for (const std::string& address : {url, ToUtf8(settings_.downloadBase)}) {
        if (!address.empty() && !IsHttpsAddress(address))
          return Fail(outcome, "the update was refused: this client carries no key to check updates with, so it "
                               "accepts only https:// addresses, not " + address);
      }
    }
    if (!FetchDocument(s_.http, url, kMaxServerFile, body, failure))
      return Fail(outcome, "could not read the update information: " + Described(failure));
    if (s_.verifier) {
      std::string signature;
      Failure sigFailure;
      const bool got = FetchDocument(s_.http, SignatureUrl(url), kMaxSignature, signature, sigFailure);
      std::string reason;
      if (!s_.verifier->AcceptServerFile(body, got ? std::optional<std::string>(signature) : std::nullopt, reason))
        return Fail(outcome, "the update information was refused: " + reason);
    }
    std::string why;
    const auto update = ReadServerUpdate(DecodeDocumentBytes(body), &why);
    if (!update) return Fail(outcome, "could not read the update information: " + url + ": " + why);
    outcome.silent = update->silent();

    const std::u16string installed = FindInstalledVersion(settings_, s_);
    const auto declined = settings_.waitForNextVersion
                              ? s_.registry.ReadValue(StateKey(settings_), u"DeclinedVersion")
                              : std::nullopt;
    const bool wasDeclined = declined && IsDeclined(update->updateVersion, RegistryValueText(*declined));
    if (!IsLaterVersion(update->updateVersion, installed) || wasDeclined) {
      if (wasDeclined)
        s_.log.Line("version " + ToUtf8(update->updateVersion) + " is not offered: version " +
                    ToUtf8(RegistryValueText(*declined)) + " was declined");
      else
        s_.log.Line("up to date: version " + ToUtf8(installed) + " is installed, the server offers " +
                    ToUtf8(update->updateVersion));
      outcome.result = UpdateOutcome::UpToDate;
      // A version the user declined is passed over without a word.
      if (!wasDeclined) outcome.message = Fill(update->updateNotNeeded);
      return false;
    }
    // Whatever the server file names must land in its folder: an update
    // that names one place outside it is refused whole, before anything runs.
    if (std::string refused; !CheckUpdatePaths(*update, refused))
      return Fail(outcome, "the update " + ToUtf8(update->updateVersion) + " was refused: " + refused);
    s_.log.Line("update " + ToUtf8(update->updateVersion) + " found (installed: " + ToUtf8(installed) + ")");
    update_ = std::move(*update);
    phase_ = Phase::Download;
    return true;
  }

  bool Download(DownloadObserver* observer) {
    if (phase_ != Phase::Download) return false;
    phase_ = Phase::Done;
    UpdateOutcome& outcome = outcome_;
    const ServerUpdate* update = &*update_;
    Failure failure;
    std::vector<TakenFile>& taken = taken_;
    if (!Decide(*update, taken, outcome)) return false;
    s_.files.RemoveTree(work_);
    if (!s_.files.MakeFolder(work_, failure) || !s_.files.MakeFolder(JoinPath(work_, u"new"), failure) ||
        !s_.files.MakeFolder(JoinPath(work_, u"old"), failure))
      return Fail(outcome, "could not make the work folder " + ToUtf8(work_) + ": " + Described(failure));
    s_.files.Hide(work_);
    for (const auto& file : taken)
      if (!MakeWorkFolderOf(file.request.path, outcome)) return false;

    Execute(*update, ExecutionPoint::Download);
    std::vector<NamedDownload> list;
    list.reserve(taken.size());
    for (const auto& file : taken) list.push_back({&file.file->name, &file.request});
    const DownloadsEnd end =
        DownloadAll({s_.http, s_.files, s_.verifier, s_.log, s_.workers}, list, observer, failure);
    if (end == DownloadsEnd::Stopped) {
      s_.log.Line("the download was cancelled by the user: nothing was changed");
      outcome.result = UpdateOutcome::Cancelled;
      return false;
    }
    if (end == DownloadsEnd::Failed) return Fail(outcome, Described(failure));
    Execute(*update, ExecutionPoint::DownloadComplete);
    phase_ = Phase::Apply;
    return true;
  }

  bool Apply(const std::function<bool()>& askToClose) {
    if (phase_ != Phase::Apply) return false;
    phase_ = Phase::Done;
    UpdateOutcome& outcome = outcome_;
    const ServerUpdate* update = &*update_;
    std::vector<TakenFile>& taken = taken_;
    PlanBuilder plan(s_.files, s_.registry);
    if (!PlanFiles(taken, plan, outcome) || !PlanRegistry(*update, plan, outcome)) return false;
    if (!PlanInstallationState(*update, plan, outcome)) return false;
    if (!WaitForMainExecutable(plan.steps(), askToClose, outcome)) return false;
    if (!Apply(plan.steps(), outcome)) return false;

    s_.log.Line("updated to version " + ToUtf8(update->updateVersion));
    outcome.result = UpdateOutcome::Updated;
    outcome.message = Fill(outcome.silent ? update->silentFinished : update->installComplete);
    outcome.restart = update->restart;
    s_.files.RemoveTree(work_);
    Execute(*update, ExecutionPoint::InstallationComplete);
    return true;
  }

  bool Decide(const ServerUpdate& update, std::vector<TakenFile>& taken, UpdateOutcome& outcome) {
    std::string base = ToUtf8(settings_.downloadBase);
    while (!base.empty() && base.back() == '/') base.pop_back();
    for (const auto& file : update.files) {
      if (!ForThisSystem(file.os)) continue;
      std::string refused;
      auto target = FileTarget(file, s_.places, refused);
      if (!target) return Fail(outcome, refused);
      TakenFile item{&file, std::move(*target), {}, {}};
      if (!NeedsFile(file, item.target, s_.files)) continue;
      // The path the signature file lists it by, made as the tool makes it.
      const std::string serverPath = tidewell::signing::ServerPathOf(ToUtf8(file.src), ToUtf8(file.name));
      std::string url = base;
      for (std::size_t start = 0; start < serverPath.size();) {
        const std::size_t end = std::min(serverPath.find('/', start), serverPath.size());
        url += "/" + PercentEncode(std::string_view(serverPath).substr(start, end - start));
        start = end + 1;
      }
      item.request = {url, NextStagedPath(u"new"), file.size, serverPath};
      taken.push_back(std::move(item));
    }
    s_.log.Line(std::to_string(taken.size()) + " file(s) to download");
    return true;
  }

  bool AddFileStep(PlanBuilder& plan, const std::u16string& target, const std::u16string& staged,
                   UpdateOutcome& outcome) {
    const std::u16string backup = NextStagedPath(u"old");
    if (!MakeWorkFolderOf(backup, outcome)) return false;
    plan.AddFile(target, staged, backup);
    return true;
  }

  bool PlanFiles(std::vector<TakenFile>& taken, PlanBuilder& plan, UpdateOutcome& outcome) {
    for (auto& file : taken) {
      if (plan.HasFileTarget(file.target)) continue;
      if (!AddFileStep(plan, file.target, file.request.path, outcome)) return false;
    }
    // Archives marked so are unpacked into their folder: each entry is
    // staged now, so the apply only renames.
    for (auto& file : taken) {
      if (!file.file->unzip) continue;
      Failure failure;
      auto reader = s_.files.OpenRead(file.request.path, failure);
      ZipArchive archive;
      if (!reader || !archive.Open(std::move(reader), failure))
        return Fail(outcome, "could not unpack " + file.request.url + ": " + Described(failure));
      const std::u16string folder = ParentPath(file.target);
      for (const auto& entry : archive.entries()) {
        std::string refused;
        const auto target = EntryTarget(folder, entry.name, file.request.url, refused);
        if (!target) return Fail(outcome, "could not unpack " + file.request.url + ": " + refused);
        if (entry.folder) continue;
        const std::u16string staged = NextStagedPath(u"new");
        if (!MakeWorkFolderOf(staged, outcome)) return false;
        auto writer = s_.files.OpenWrite(staged, false, failure);
        if (!writer || !archive.Extract(entry, *writer, failure) || !writer->Flush(failure))
          return Fail(outcome, "could not unpack " + ToUtf8(entry.name) + " from " + file.request.url + ": " +
                                   Described(failure));
        if (!plan.HasFileTarget(*target) && !AddFileStep(plan, *target, staged, outcome)) return false;
      }
    }
    return true;
  }

  // The installation's record goes in last, with the files it describes; a
  // version an earlier client kept per user goes out in the same step.
  bool PlanInstallationState(const ServerUpdate& update, PlanBuilder& plan, UpdateOutcome& outcome) {
    const std::u16string target = InstallationStatePath(s_.places);
    if (plan.HasFileTarget(target))
      return Fail(outcome, "the update names the client's own record " + ToUtf8(target) + " as a file");
    const std::string text = WriteInstallationState(StateAfterUpdate(update.updateVersion, settings_, s_, plan.steps()));
    const std::u16string staged = NextStagedPath(u"new");
    if (!MakeWorkFolderOf(staged, outcome)) return false;
    if (Failure failure; !WriteWholeFile(s_.files, staged, text, failure))
      return Fail(outcome, "could not write " + ToUtf8(staged) + ": " + Described(failure));
    if (s_.registry.ReadValue(StateKey(settings_), u"InstalledVersion"))
      plan.AddDeleteValue(StateKey(settings_), u"InstalledVersion");
    return AddFileStep(plan, target, staged, outcome);
  }

  bool PlanRegistry(const ServerUpdate& update, PlanBuilder& plan, UpdateOutcome& outcome) {
    for (const auto& op : update.registry) {
      if (!ForThisSystem(op.os)) continue;
      if (op.verb == u"Add") {
        const auto value = ParseRegistryData(op.valueType, op.valueData);
        if (!value)
          return Fail(outcome, "the registry value " + ToUtf8(op.key) + "\\" + ToUtf8(op.name) + " has data " +
                                   ToUtf8(op.valueData) + " that is not a " + ToUtf8(op.valueType));
        plan.AddSetValue(op.key, op.name, *value);
      } else if (op.verb == u"Delete") {
        plan.AddDeleteValue(op.key, op.name);
      } else if (op.verb == u"Create") {
        plan.AddCreateKey(op.key);
      } else if (op.verb == u"Remove") {
        plan.AddDeleteKey(op.key);
      } else {
        s_.log.Line("skipped the registry operation on " + ToUtf8(op.key) + " with no known action");
      }
    }
    return true;
  }

  bool Decline() {
    if (!update_) return false;
    Failure failure;
    if (!s_.registry.WriteValue(StateKey(settings_), u"DeclinedVersion", StringValue(update_->updateVersion),
                                failure)) {
      LogError(s_.log, "could not record the declined version " + ToUtf8(update_->updateVersion) + ": " +
                           Described(failure));
      return false;
    }
    s_.log.Line("version " + ToUtf8(update_->updateVersion) + " declined: it is not offered again");
    return true;
  }

 private:
  bool WaitForMainExecutable(const std::vector<Step>& steps, const std::function<bool()>& askToClose,
                             UpdateOutcome& outcome) {
    if (settings_.mainExecutable.empty()) return true;
    const std::u16string main = JoinPath(s_.places.applicationDir, settings_.mainExecutable);
    const bool replaced = std::any_of(steps.begin(), steps.end(), [&](const Step& step) {
      return step.kind == Step::ReplaceFile && step.existed && EqualsIgnoringCase(step.target, main);
    });
    if (!replaced || !s_.files.InUse(main)) return true;
    if (askToClose) {
      while (s_.files.InUse(main)) {
        s_.log.Line("asking the user to close " + ToUtf8(settings_.mainExecutable));
        if (!askToClose()) {
          s_.log.Line("the user cancelled while " + ToUtf8(settings_.mainExecutable) + " was running: nothing was changed");
          outcome.result = UpdateOutcome::Cancelled;
          return false;
        }
      }
      return true;
    }
    s_.log.Line("waiting for " + ToUtf8(settings_.mainExecutable) + " to close");
    const std::uint64_t start = s_.clock.Milliseconds();
    while (s_.files.InUse(main)) {
      if (s_.clock.Milliseconds() - start >= s_.inUseWaitMs)
        return Fail(outcome, ToUtf8(main) + " is still running, so it cannot be replaced [" +
                                 std::to_string(kErrorSharingViolation) + "]");
      s_.clock.Sleep(kInUsePollMs);
    }
    return true;
  }

  bool Apply(const std::vector<Step>& steps, UpdateOutcome& outcome) {
    std::string error;
    if (ApplyTransaction(steps, s_, error)) return true;
    outcome.result = UpdateOutcome::Failed;
    outcome.error = error;
    return false;
  }

 public:
  void Execute(const ServerUpdate& update, ExecutionPoint point) {
    for (const auto& execution : update.executions) {
      if (execution.point != point) continue;
      std::string refused;
      const auto target = ExecutionTarget(execution, s_.places, refused);
      if (!target) {
        LogError(s_.log, refused.empty() ? "could not start " + ToUtf8(execution.file) +
                                               ": not in a folder the client knows"
                                         : refused);
        continue;
      }
      const std::u16string& path = *target;
      Failure failure;
      // What runs before the apply (clean-up, preparation) is waited for;
      // what runs after it (the application, an installer) is left running.
      const unsigned wait = point == ExecutionPoint::InstallationComplete ? 0 : kExecutionWaitMs;
      if (s_.shell.Start(path, ParentPath(path), wait, failure)) s_.log.Line("started " + ToUtf8(path));
      else LogError(s_.log, "could not start " + ToUtf8(path) + ": " + Described(failure));
    }
  }

 private:
  const ClientSettings& settings_;
  const UpdateServices& s_;
  std::u16string work_;
  unsigned counter_ = 0;
  std::u16string lastWorkFolder_;
};

std::u16string StateKey(const ClientSettings& settings) {
  return u"HKEY_CURRENT_USER\\Software\\Tidewell\\Clients\\" + settings.companyName + u"\\" + settings.appTitle;
}

std::u16string WorkFolder(const Places& places) { return JoinPath(places.applicationDir, u"~tidewell"); }

UpdateSession::UpdateSession(const ClientSettings& settings, const UpdateServices& services)
    : updater_(std::make_unique<Updater>(settings, services)) {}

UpdateSession::~UpdateSession() = default;

bool UpdateSession::Check() { return updater_->Check(); }
const ServerUpdate& UpdateSession::update() const { return *updater_->update_; }
void UpdateSession::Execute(ExecutionPoint point) {
  if (updater_->update_) updater_->Execute(*updater_->update_, point);
}
bool UpdateSession::Download(DownloadObserver* observer) { return updater_->Download(observer); }
bool UpdateSession::Apply(const std::function<bool()>& askToClose) { return updater_->Apply(askToClose); }
bool UpdateSession::Decline() { return updater_->Decline(); }
const UpdateOutcome& UpdateSession::outcome() const { return updater_->outcome_; }

UpdateOutcome RunUpdate(const ClientSettings& settings, const UpdateServices& services) {
  UpdateSession session(settings, services);
  if (session.Check()) {
    session.Execute(ExecutionPoint::Welcome);
    if (session.Download()) session.Apply();
  }
  return session.outcome();
}

}  // namespace tidewatch::engine
