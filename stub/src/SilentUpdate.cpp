#include "SilentUpdate.h"

#include <windows.h>

#include <cstdlib>

#include "ClientEnvironment.h"
#include "ClientResources.h"
#include "InteractiveUpdate.h"
#include "Schedule.h"
#include "Text.h"
#include "UpdateLogFile.h"
#include "UpdateRun.h"
#include "WideText.h"
#include "WindowsFiles.h"
#include "WindowsHttp.h"
#include "WindowsRegistry.h"
#include "WindowsSystem.h"

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

}  // namespace

int CheckForUpdateNow(const ClientStrings& strings) {
  engine::ClientSettings settings;
  settings.mainExecutable = strings.Get(1);
  settings.serverFileUrl = strings.Get(2);
  settings.downloadBase = strings.Get(3);
  settings.appTitle = strings.Get(4);
  settings.companyName = strings.Get(5);
  settings.appVersion = strings.Get(10);
  settings.waitForNextVersion = engine::ReadCheckSchedule(strings.Get(8)).waitForNextVersion;
  const PageOptions options{strings.Get(7) == u"True", strings.Get(9) == u"True"};

  UpdateLogFile log(settings.companyName, settings.appTitle);
  WindowsHttp http;
  WindowsFiles files(HookValue(L"TIDEWATCH_TEST_DISK_FULL_AFTER", 0));
  WindowsRegistry registry;
  WindowsShell shell;
  WindowsClock clock;
  engine::UpdateServices services{http, files, registry, shell, clock, log, {}, {}, nullptr, {}, 60'000};
  services.places = ClientPlaces();
  services.variables = {LoginName(), PlatformDescription(), &registry};
  services.inUseWaitMs = static_cast<unsigned>(HookValue(L"TIDEWATCH_TEST_IN_USE_WAIT_MS", 60'000));
  if (const std::uint64_t halt = HookValue(L"TIDEWATCH_TEST_HALT_AFTER_STEP", 0)) {
    services.afterStep = [halt](std::size_t done) {
      if (done == halt) TerminateProcess(GetCurrentProcess(), 3);
    };
  }

  if (!engine::RecoverInterruptedUpdate(services)) {
    log.Line("stopped: an interrupted update could not be undone");
    return 1;
  }
  // Failures are shown (or only logged) by then.
  const engine::UpdateOutcome outcome = RunUpdateWithPages(settings, services, options);
  if (outcome.result == engine::UpdateOutcome::Failed || outcome.result == engine::UpdateOutcome::Cancelled)
    return outcome.exitCode();
  if (!outcome.message.empty()) Show(outcome.message, settings.appTitle, MB_ICONINFORMATION);
  if (outcome.restart && !settings.mainExecutable.empty()) {
    const std::u16string main = engine::JoinPath(services.places.applicationDir, settings.mainExecutable);
    engine::Failure failure;
    if (shell.Start(main, services.places.applicationDir, 0, failure)) log.Line("restarted " + engine::ToUtf8(main));
    else log.Line("error: could not restart " + engine::ToUtf8(main) + ": " + failure.what + " [" +
                  std::to_string(failure.code) + "]");
  }
  return outcome.exitCode();
}

}  // namespace tidewatch
