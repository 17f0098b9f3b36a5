#include "pages/release/SigningKeyView.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "shell/QtText.h"

namespace tidewell::app {

SigningKeyView::SigningKeyView(Prompt& prompt, QWidget* parent)
    : QGroupBox(QStringLiteral("Signing key"), parent), commands_(prompt) {
  fingerprint_ = new QLabel(this);
  fingerprint_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  place_ = new QLabel(this);
  place_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  place_->setWordWrap(true);
  make_ = new QPushButton(QStringLiteral("Make new key"), this);
  choose_ = new QPushButton(QStringLiteral("Choose key file..."), this);
  chooseFile_ = [this] {
    return QDir::toNativeSeparators(
        QFileDialog::getOpenFileName(this, QStringLiteral("Choose a signing key"), {},
                                     QStringLiteral("Signing keys (*.key);;All files (*)")));
  };

  auto* layout = new QGridLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Fingerprint:"), this), 0, 0);
  layout->addWidget(fingerprint_, 0, 1);
  layout->addWidget(new QLabel(QStringLiteral("Kept in:"), this), 1, 0);
  layout->addWidget(place_, 1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(make_);
  buttons->addWidget(choose_);
  buttons->addStretch(1);
  layout->addLayout(buttons, 2, 0, 1, 2);
  layout->setColumnStretch(1, 1);

  connect(make_, &QPushButton::clicked, this, [this] {
    if (projectName_) commands_.MakeKey(projectName_());
    Refresh();
  });
  connect(choose_, &QPushButton::clicked, this, [this] {
    const QString file = chooseFile_ ? chooseFile_() : QString();
    if (!file.isEmpty() && projectName_) commands_.ChooseKey(projectName_(), ToWString(file));
    Refresh();
  });
}

void SigningKeyView::SetProjectName(std::function<WString()> projectName) {
  projectName_ = std::move(projectName);
  Refresh();
}

void SigningKeyView::Refresh() {
  const SigningKeyStatus status = commands_.Status(projectName_ ? projectName_() : WString());
  if (status.present) fingerprint_->setText(ToQString(status.fingerprint));
  else if (!status.problem.empty()) fingerprint_->setText(ToQString(status.problem));
  else fingerprint_->setText(ToQString(kNoKeyYetText));
  place_->setText(ToQString(status.place));
}

}  // namespace tidewell::app
