#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <string_view>

class QWidget;

namespace tidewell {
class Prompt;
}

namespace tidewell::app {

// What "Add Files" brings back: the chosen files and the client destination
// built from the controls below the file list.
struct AddFilesChoice {
  QStringList files;
  QString destination;
};

// The system dialogs the update-files page opens. The page uses the real
// ones; a test puts its own choices in their place.
// A filter of a file dialog showing `label` as it is and filtering with
// `pattern`, where "*.*" means every file, names without a dot too, as on
// Windows. For dialogs that hide the filter details.
QString HostNameFilter(std::u16string_view label, std::u16string_view pattern);

struct FileChoosers {
  // "Add Files", starting in `startFolder`; nullopt when cancelled. The help
  // button speaks through the prompt.
  std::function<std::optional<AddFilesChoice>(QWidget* owner, const QString& startFolder,
                                              Prompt& prompt)>
      chooseFiles;
  // The folder picker showing `text` above the folders (what the folder is
  // chosen for), starting in `startFolder`; empty when cancelled.
  std::function<QString(QWidget* owner, const QString& startFolder, const QString& text)>
      chooseFolder;
  // "Select file to execute"; empty when cancelled.
  std::function<QString(QWidget* owner)> chooseExecutable;

  static FileChoosers SystemDialogs();
};

}  // namespace tidewell::app
