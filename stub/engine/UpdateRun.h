#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ClientVariables.h"
#include "ConcurrentDownload.h"
#include "Platform.h"
#include "ServerUpdate.h"
#include "UpdateVerifier.h"

namespace tidewatch::engine {

// The client's strings that an update needs.
struct ClientSettings {
  std::u16string mainExecutable;  // string 1
  std::u16string serverFileUrl;   // string 2, before its variables are filled in
  std::u16string downloadBase;    // string 3
  std::u16string appTitle;        // string 4
  std::u16string companyName;     // string 5
  std::u16string appVersion;      // string 10
  // String 8's "Wait for next version": the version recorded in
  // DeclinedVersion, and any before it, is not offered.
  bool waitForNextVersion = false;
};

struct UpdateServices {
  Http& http;
  FileSystem& files;
  Registry& registry;
  Shell& shell;
  Clock& clock;
  Log& log;
  Places places;
  VariableValues variables;
  UpdateVerifier* verifier = nullptr;  // sizes only when there is none
  StepObserver afterStep;              // test hook
  unsigned inUseWaitMs = 60'000;       // how long a running main executable is waited for
  Workers* workers = nullptr;          // several files downloaded and replaced at once; one after another when there is none
};

struct UpdateOutcome {
  enum Result { UpToDate, Updated, Failed, Cancelled } result = Failed;
  int exitCode() const { return result == Failed ? 1 : result == Cancelled ? 2 : 0; }
  bool silent = false;
  bool restart = false;          // start the main executable again
  std::u16string message;        // the text to show at the end, when there is one
  std::string error;             // Failed: what failed, in words
};

// The registry key of the client's state.
std::u16string StateKey(const ClientSettings& settings);
// <ApplicationDir>\~tidewell
std::u16string WorkFolder(const Places& places);

// Undoes an apply that was interrupted (a journal left in the work folder) and
// clears what an earlier run left there. False when an interrupted apply
// could not be undone completely.
bool RecoverInterruptedUpdate(const UpdateServices& services);

class Updater;

// One update in its phases, for a client that shows them one by one:
// Check, then Download, then Apply. Whatever the session leaves in the work
// folder is removed when it ends (unless an undo left a journal there).
class UpdateSession {
 public:
  UpdateSession(const ClientSettings& settings, const UpdateServices& services);
  ~UpdateSession();
  UpdateSession(const UpdateSession&) = delete;
  UpdateSession& operator=(const UpdateSession&) = delete;

  // Fetches the server update file and decides. True when an update is
  // offered; otherwise outcome() is UpToDate (with the "not needed" text,
  // when there is one) or Failed.
  bool Check();
  // The offered update; valid after Check answered true.
  const ServerUpdate& update() const;
  // Starts the programs of one point, in list order.
  void Execute(ExecutionPoint point);
  // Decides the files, starts the programs of the download point and
  // downloads into the work folder; nothing else on the machine changes.
  // False when it failed, or was stopped by `observer` (outcome Cancelled).
  bool Download(DownloadObserver* observer = nullptr);
  // Applies what was downloaded as one transaction, undone on any failure.
  // When the main executable runs, `askToClose` is asked: true to look
  // again, false to give up (outcome Cancelled, nothing changed); without
  // it the client waits for the main executable as long as `inUseWaitMs`.
  bool Apply(const std::function<bool()>& askToClose = {});
  // Records the offered version as declined (DeclinedVersion).
  bool Decline();
  // The result so far.
  const UpdateOutcome& outcome() const;

 private:
  std::unique_ptr<Updater> updater_;
};

// Fetches the server update file, decides, downloads and applies.
UpdateOutcome RunUpdate(const ClientSettings& settings, const UpdateServices& services);

}  // namespace tidewatch::engine
