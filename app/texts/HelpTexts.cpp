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
    {"client.requestXml",
     u"The address at which the client requests the update XML file: the address of the XML "
     u"file itself, or of a server script whose query parameters are built from variables, "
     u"such as ?edition=%Variable2%&user=%Login%."},
    {"client.variables",
     u"Shows the variables. The arrow lists their names; a chosen name is inserted into the "
     u"request string as %name%."},
    {"client.filesLocation", u"The address of the folder on the server that holds the update files."},
    {"client.companyName", u"Your company's name, as the client shows it."},
    {"client.appTitle", u"The title of the application the client updates."},
    {"client.executable", u"The file name of your application's main executable."},
    {"client.browseExecutable",
     u"Choose the main executable; its icons can then become the client's icons."},

    // Client behaviours page ("Client"), user text, icon selection, pictures
    {"clientBehaviours.messages",
     u"The messages the client shows. Tick a message to show it; double click to change its text."},
    {"clientBehaviours.edit", u"Change the text of the selected message."},
    {"clientBehaviours.warnOnExit", u"The client warns the user who leaves an update unfinished."},
    {"clientBehaviours.allowErrors", u"The client shows the errors it meets to the user."},
    {"clientBehaviours.restart", u"The client starts the application again after the update."},
    {"clientBehaviours.updateType",
     u"Normal updates ask the user, silent ones do not show themselves, critical ones cannot be "
     u"declined."},
    {"clientBehaviours.frequency", u"How often the client looks for an update when the application starts."},
    {"clientBehaviours.reprompt", u"Whether a cancelled update is offered again."},
    {"clientBehaviours.main", u"Choose the large picture of the client's pages."},
    {"clientBehaviours.top", u"Choose the banner picture at the top of the client's pages."},
    {"clientBehaviours.icon", u"Choose the client's large and small icons from a program or library."},
    {"userText.text", u"The message text: at most 1024 characters, a line break counting two."},
    {"userText.variables",
     u"Shows the variables. The arrow lists their names; a chosen name is inserted at the caret."},
    {"iconSelection.source",
     u"The program or library whose icons are listed. Type a path and press Enter to list it."},
    {"iconSelection.browse", u"Choose the program or library whose icons are listed."},
    {"iconSelection.large", u"The 32 x 32 icon images. Click one to choose it."},
    {"iconSelection.small", u"The 16 x 16 icon images. Click one to choose it."},

    // Release page ("Build") and its panes
    {"release.navigation",
     u"Configure the release, then preview the client, build the client executable and the "
     u"update XML file, and view the files built."},
    {"release.notes", u"Notes about this build, kept with the project."},
    {"release.summaryAppVersion", u"The version of the application as installed."},
    {"release.summaryUpdateVersion", u"The version this update brings."},
    {"release.clientExe", u"The file name of the client executable built into the project folder."},
    {"release.checkNow",
     u"The command-line argument with which your application starts the client to look for "
     u"updates at once."},
    {"release.clientXml", u"The file name of the update XML file written into the project folder."},
    {"release.appVersion",
     u"The version of the application as installed, such as 1.0. The client compares it with "
     u"the update version."},
    {"release.updateVersion",
     u"The version the update brings, such as 1.1. It must be greater than the application "
     u"version."},

    // Variables and registry-read dialogs
    {"variables.list",
     u"Click a selected name to rename it; double click a variable to choose its registry value."},
    {"variables.createNew", u"Create a variable that reads a registry value on the user's machine."},
    {"registryRead.baseKey", u"The registry root the value is read under."},
    {"registryRead.subKey", u"The key path under the root, such as Software\\MyCompany\\MyApp."},
    {"registryRead.valueType", u"REG_SZ for a text, REG_DWORD for a number."},
    {"registryRead.valueName", u"The name of the value to read."},

    // Update-files page ("Server Files"), its dialogs and sheets
    {"files.operations", u"Select to add files to the update proces and relevant file properties."},
    {"files.baseFolder",
     u"The folder on your machine whose layout the update copies: each file's place below it "
     u"becomes its place below the destination on the user's machine. Use \"...\" to choose "
     u"another one."},
    {"files.addExecution",
     u"Choose a file the client starts before, during or after the update."},

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
