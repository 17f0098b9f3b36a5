#include "ClientUpdate.h"

#include <windows.h>

#include <cstdlib>

#include "ClientEnvironment.h"
#include "ClientResources.h"
#include "InteractiveUpdate.h"
#include "Schedule.h"
#include "ClientUpdateVerifier.h"
#include "Text.h"
#include "UpdateLogFile.h"
#include "UpdateRun.h"
#include "WideText.h"
#include "WindowsFiles.h"
#include "WindowsHttp.h"
#include "WindowsRegistry.h"
#include "WindowsSystem.h"
#include "WindowsWorkers.h"

namespace tidewatch {

namespace {

// The test hooks: a number from the environment, or `fallback`.
std::uint64_t HookValue(const wchar_t* name, std::uint64_t fallback) {
  wchar_t text[32] = {};
  const DWORD n = GetEnvironmentVariableW(name, text, 32);
  if (n == 0 || n >= 32) return fallback;
  std::uint64_t value = 0;
  for (const wchar_t* p = text; *p; ++p) {
    if (*p < L'0' || *p > L'9') return fallback;
    value = value * 10 + static_cast<std::uint64_t>(*p - L'0');
  }
  return value;
}

void Show(const std::u16string& text, const std::u16string& title, UINT icon) {
  MessageBoxW(nullptr, ToWide(text).c_str(), ToWide(title).c_str(), icon | MB_OK | MB_SETFOREGROUND);
}

// The engine's services on this machine, for the client named by its strings.
class ClientUpdate {
 public:
  explicit ClientUpdate(const ClientStrings& strings)
      : settings_{strings.Get(1), strings.Get(2), strings.Get(3), strings.Get(4), strings.Get(5), strings.Get(10)},
        options_{strings.Get(7) == u"True", strings.Get(9) == u"True"},
        log_(settings_.companyName, settings_.appTitle),
        files_(HookValue(L"TIDEWATCH_TEST_DISK_FULL_AFTER", 0)),
        services_{http_, files_, registry_, shell_, clock_, log_, ClientPlaces(),
                  {LoginName(), PlatformDescription(), &registry_}, nullptr, {},
                  static_cast<unsigned>(HookValue(L"TIDEWATCH_TEST_IN_USE_WAIT_MS", 60'000))},
        keyChanges_(settings_.companyName, settings_.appTitle) {
    settings_.waitForNextVersion = engine::ReadCheckSchedule(strings.Get(8)).waitForNextVersion;
    services_.workers = &workers_;
    if (const std::uint64_t halt = HookValue(L"TIDEWATCH_TEST_HALT_AFTER_STEP", 0)) {
      services_.afterStep = [halt](std::size_t done) {
        if (done == halt) TerminateProcess(GetCurrentProcess(), 3);
      };
    }
  }

  bool Recover() {
    if (engine::RecoverInterruptedUpdate(services_)) return true;
    log_.Line("stopped: an interrupted update could not be undone");
    return false;
  }

  int Run() {
    // A client that carries the publisher's key installs only what is signed
    // with it for its product; one without accepts only https:// and checks
    // sizes only.
    verifier_ = MakeClientUpdateVerifier(settings_, keyChanges_);
    services_.verifier = verifier_.get();
    // Failures are shown (or only logged) by then.
    const engine::UpdateOutcome outcome = RunUpdateWithPages(settings_, services_, options_);
    if (outcome.result == engine::UpdateOutcome::Failed || outcome.result == engine::UpdateOutcome::Cancelled)
      return outcome.exitCode();
    if (!outcome.message.empty()) Show(outcome.message, settings_.appTitle, MB_ICONINFORMATION);
    if (outcome.restart && !settings_.mainExecutable.empty()) {
      const std::u16string main = engine::JoinPath(services_.places.applicationDir, settings_.mainExecutable);
      engine::Failure failure;
      if (shell_.Start(main, services_.places.applicationDir, 0, failure))
        log_.Line("restarted " + engine::ToUtf8(main));
      else
        log_.Line("error: could not restart " + engine::ToUtf8(main) + ": " + failure.what + " [" +
                  std::to_string(failure.code) + "]");
    }
    return outcome.exitCode();
  }

 private:
  engine::ClientSettings settings_;
  PageOptions options_;
  UpdateLogFile log_;
  WindowsHttp http_;
  WindowsFiles files_;
  WindowsRegistry registry_;
  WindowsShell shell_;
  WindowsClock clock_;
  WindowsWorkers workers_;
  engine::UpdateServices services_;
  RegistryKeyChangeStore keyChanges_;
  std::unique_ptr<engine::UpdateVerifier> verifier_;
};

}  // namespace

bool UndoInterruptedUpdate(const ClientStrings& strings) {
  // Only a client that left a work folder beside itself has anything to undo.
  const engine::Places places = ClientOwnPlaces();
  if (GetFileAttributesW(ToWide(engine::WorkFolder(places)).c_str()) == INVALID_FILE_ATTRIBUTES) return true;
  return ClientUpdate(strings).Recover();
}

int CheckForUpdateNow(const ClientStrings& strings) {
  ClientUpdate update(strings);
  if (!update.Recover()) return 1;
  return update.Run();
}

}  // namespace tidewatch
