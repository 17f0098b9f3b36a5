#include "pages/release/SignCommandView.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "build/SignCommandPreference.h"

namespace tidewell::app {

SignCommandView::SignCommandView(Preferences& preferences, QWidget* parent)
    : QGroupBox(QStringLiteral("Client signing"), parent), preferences_(preferences) {
  command_ = new QLineEdit(this);
  command_->setPlaceholderText(QStringLiteral("signtool sign /a /fd SHA256 {file}"));
  auto* hint = new QLabel(
      QStringLiteral("Runs after every client build: {file} is the client, signed in place, or "
                     "the command writes the signed copy to {signed}. When it fails, the previous "
                     "client is kept. Kept for this project in your preferences, not in the "
                     "project."),
      this);
  hint->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(command_);
  layout->addWidget(hint);
  connect(command_, &QLineEdit::editingFinished, this, [this] { Store(); });
}

void SignCommandView::SetProjectFile(std::function<WString()> projectFile) {
  projectFile_ = std::move(projectFile);
  Load();
}

void SignCommandView::Load() {
  const WString file = projectFile_ ? projectFile_() : WString();
  command_->setText(QString::fromStdString(ReadSignCommand(preferences_, file)));
  command_->setEnabled(!file.empty());
}

std::string SignCommandView::Store() {
  const std::string command = command_->text().trimmed().toStdString();
  const WString file = projectFile_ ? projectFile_() : WString();
  if (!file.empty() && ReadSignCommand(preferences_, file) != command)
    WriteSignCommand(preferences_, file, command);
  return command;
}

}  // namespace tidewell::app
