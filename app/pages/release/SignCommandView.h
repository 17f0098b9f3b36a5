#pragma once

#include <functional>
#include <string>

#include <QGroupBox>

#include "text/WString.h"

class QLineEdit;

namespace tidewell {
class Preferences;
}

namespace tidewell::app {

// The Build page's client signing: the command that signs every client this
// project builds, kept for the project in the user's preferences.
class SignCommandView : public QGroupBox {
  Q_OBJECT

 public:
  SignCommandView(Preferences& preferences, QWidget* parent);

  // The project file the command belongs to; read on every load and store.
  void SetProjectFile(std::function<WString()> projectFile);
  // Shows the project's command.
  void Load();
  // Keeps the command as typed for the project, and answers it.
  std::string Store();

  QLineEdit* Command() const { return command_; }

 private:
  Preferences& preferences_;
  std::function<WString()> projectFile_;
  QLineEdit* command_;
};

}  // namespace tidewell::app
