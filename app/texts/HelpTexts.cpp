#include "texts/HelpTexts.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

namespace tidewell::app {

namespace {

struct HelpEntry {
  std::string_view key;
  const char16_t* text;
};

// Every hover-help text of every page and dialog, by key. The keys are
// "area.control". Keep each area's entries together.
constexpr HelpEntry kHelpTexts[] = {
    // Project management dialog
    {"projectDialog.name",
     u"The name of the project. It is shown in the title bar and in the list of recent "
     u"projects, and it names the project's folder at the end of the location."},
    {"projectDialog.location",
     u"The folder created for the project. It holds the project file Settings.xml and, after "
     u"a build, the update client and the server update file. Its parent folder must exist."},
    {"projectDialog.recent",
     u"The projects opened most recently. Select one to load it, or double-click it to load "
     u"it at once."},
    {"projectDialog.loadFrom",
     u"The project file (Settings.xml) to load. Use \"...\" to find it on disk."},
    // Main window

    // Client page ("Configure")

    // Client behaviours page ("Client"), user text, icon selection, pictures

    // Release page ("Build") and its panes

    // Variables and registry-read dialogs

    // Update-files page ("Server Files"), its dialogs and sheets
    {"files.operations", u"Select to add files to the update proces and relevant file properties."},

    // Shell executions
    {"shellExec.point",
     u"A file can be 'Shell Executed' at several stages of the application.\r\n\r\n"
     u"Typical execution points are at the start of the update for a clean-up or to launch a "
     u"HTML page, and at the conclusion of the update to launch any third-party installation or "
     u"MSI patching applications."},

    // Registry page and its dialogs
    {"registry.operations", u"Add registry operations to undertake on the client system."},
};

}  // namespace

QString HelpText(std::string_view key) {
  const auto* found = std::find_if(std::begin(kHelpTexts), std::end(kHelpTexts),
                                   [&](const HelpEntry& e) { return e.key == key; });
  if (found == std::end(kHelpTexts)) return {};
  return QString::fromUtf16(found->text);
}

}  // namespace tidewell::app
