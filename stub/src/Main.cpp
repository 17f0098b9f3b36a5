// Tidewatch.exe, the update client stub. The configuration tool copies it and
// writes the client's settings, pictures and icons into the copy's resources.

#include <windows.h>

#include <commctrl.h>

#include "ClientCommandLine.h"
#include "ClientEnvironment.h"
#include "ClientPages.h"
#include "ClientStart.h"
#include "ClientResources.h"
#include "Console.h"
#include "DumpReport.h"
#include "ClientUpdate.h"
#include "WideText.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  using namespace tidewatch;
  const ClientCommand command = ParseClientCommandLine(FromWide(GetCommandLineW()));
  switch (command.action) {
    case ClientAction::Dump:
      return WriteStandardOutput(FormatResourceReport(ReadOwnResources())) ? 0 : 1;
    case ClientAction::DumpWelcome: {
      const std::u16string login = LoginName();
      const std::u16string platform = PlatformDescription();
      const PreviewText text = PrepareWelcome(ReadUpdateFile(command.argument), command.argument, login, platform);
      return WriteStandardOutput(FormatWelcomeReport(login, platform, text)) ? 0 : 1;
    }
    case ClientAction::ShowStatus: {
      // A start that does not check ends here, before any window.
      const ClientStrings strings;
      // An interrupted update is undone first, on every start.
      if (!UndoInterruptedUpdate(strings)) return 1;
      if (!ThisStartChecks(strings, command.firstWord)) return 0;
      return CheckForUpdateNow(strings);
    }
    case ClientAction::TestMode:
      break;
  }
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  return ShowPreviewPage(command.argument);
}
