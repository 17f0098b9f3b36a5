#pragma once

#include <functional>

#include <QGroupBox>

#include "build/SigningKeyCommands.h"

class QLabel;
class QPushButton;

namespace tidewell::app {

// The Build page's signing key: its fingerprint and place, and the buttons
// that make a new key or take a key file as the project's key.
class SigningKeyView : public QGroupBox {
  Q_OBJECT

 public:
  SigningKeyView(Prompt& prompt, QWidget* parent);

  // The project whose key is shown; its name is read on every refresh.
  void SetProjectName(std::function<WString()> projectName);
  // Asks for a key file (a file dialog; the tests answer in advance).
  void SetChooseFile(std::function<QString()> chooseFile) { chooseFile_ = std::move(chooseFile); }
  void Refresh();

  QLabel* Fingerprint() const { return fingerprint_; }
  QLabel* Place() const { return place_; }
  QPushButton* MakeButton() const { return make_; }
  QPushButton* ChooseButton() const { return choose_; }

 private:
  SigningKeyCommands commands_;
  std::function<WString()> projectName_;
  std::function<QString()> chooseFile_;
  QLabel* fingerprint_;
  QLabel* place_;
  QPushButton* make_;
  QPushButton* choose_;
};

}  // namespace tidewell::app
