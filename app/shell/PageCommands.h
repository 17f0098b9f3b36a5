#pragma once

namespace tidewell::app {

// The commands that show a page, also the item data of the main navigation
// bar, and the other commands of the main window's menus and toolbar.
enum class Command : int {
  ServerFilesPage = 110,
  ClientBehavioursPage = 111,
  ReleasePage = 112,
  ClientPage = 113,
  RegistryPage = 115,
  About = 116,
  Exit = 117,
  New = 105,
  Open = 106,
  Save = 32805,
  SaveAs = 32807,
  PreviewClient = 32809,
  CheckForUpdateNow = 32823,
  Undo = 57643,
  Redo = 57644,
  FirstRecentProject = 57616,
};

}  // namespace tidewell::app
