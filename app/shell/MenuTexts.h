#pragma once

#include "shell/PageCommands.h"

namespace tidewell::app {

// A command of the main window's menus and toolbar: its menu text, shortcut,
// the prompt the status bar shows while it is highlighted, and its icon.
struct CommandText {
  Command command;
  const char* text;
  const char* shortcut;  // empty: none
  const char* prompt;
  const char* icon;  // a product icon (ProductIcons.h); empty: none
};

inline constexpr CommandText kFileCommands[] = {
    {Command::New, "&New", "Ctrl+N", "Create a new project", "new"},
    {Command::Open, "&Open...", "Ctrl+O", "Load an existing Tidewell project", "open"},
    {Command::Save, "&Save", "Ctrl+S", "Save existing project", "save"},
    {Command::SaveAs, "Save &As...", "Shift+Ctrl+S", "Save existing project as...", ""},
    {Command::Exit, "E&xit", "", "Quit the application", ""},
};

// Redo also answers Shift+Ctrl+Z (kRedoAlternativeShortcut).
inline constexpr CommandText kEditCommands[] = {
    {Command::Undo, "&Undo", "Ctrl+Z", "Undo the last change to the project", ""},
    {Command::Redo, "&Redo", "Ctrl+Y", "Redo the change last undone", ""},
};
inline constexpr const char* kRedoAlternativeShortcut = "Shift+Ctrl+Z";

inline constexpr CommandText kHelpCommands[] = {
    {Command::PreviewClient, "&Preview client", "Ctrl+P",
     "Preview the Tidewell client as would be seen by your end-users", "preview"},
    {Command::CheckForUpdateNow, "Check for &update now!", "Ctrl+U",
     "Check the world for any updates of this application", "check-update"},
    {Command::About, "&About Tidewell", "", "Information about Tidewell", "about"},
};

inline constexpr const char* kFileMenuText = "&File";
inline constexpr const char* kEditMenuText = "&Edit";
inline constexpr const char* kHelpMenuText = "&Help";
inline constexpr const char* kToolBarTitle = "Standard";

// The toolbar: New, Open, Save, a separator (Command{}), Preview client and
// Check for update now.
inline constexpr Command kToolBarCommands[] = {Command::New, Command::Open, Command::Save,
                                               Command{},     Command::PreviewClient,
                                               Command::CheckForUpdateNow};

// The navigation bar of the main window: two groups of items with their page
// commands. "About" shows a dialog and leaves the selection on the page.
struct NavigationText {
  int group;
  const char* text;
  Command command;
  const char* icon;
};
inline constexpr const char* kNavigationGroups[] = {"Setup", "Release"};
inline constexpr NavigationText kNavigationItems[] = {
    {0, "Configure", Command::ClientPage, "configure"},
    {0, "Client", Command::ClientBehavioursPage, "client"},
    {0, "Server Files", Command::ServerFilesPage, "server-files"},
    {0, "Registry", Command::RegistryPage, "registry"},
    {1, "Build", Command::ReleasePage, "build"},
    {1, "About", Command::About, "about"},
};
inline constexpr int kNavigationIconSize = 36;

// Ctrl+1 to Ctrl+5 show the five pages in the navigation bar's order.
inline constexpr Command kPageShortcutOrder[] = {Command::ClientPage, Command::ClientBehavioursPage,
                                                 Command::ServerFilesPage, Command::RegistryPage,
                                                 Command::ReleasePage};

}  // namespace tidewell::app
