#pragma once

#include <cstdint>
#include <string>

#include "ClientVariables.h"
#include "Platform.h"
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
};

struct UpdateOutcome {
  enum Result { UpToDate, Updated, Failed } result = Failed;
  int exitCode() const { return result == Failed ? 1 : 0; }
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

// Fetches the server update file, decides, downloads and applies.
UpdateOutcome RunUpdate(const ClientSettings& settings, const UpdateServices& services);

}  // namespace tidewatch::engine
