#include "pages/files/AddFilesDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "files/FileSelection.h"
#include "pages/files/FileChoosers.h"
#include "shell/QtText.h"
#include "toolkit/Mnemonic.h"

namespace tidewell::app {


AddFilesDialog::AddFilesDialog(const QString& startFolder, Prompt& prompt, QWidget* parent)
    : QFileDialog(parent, ToQString(kFileSelectionTitle), startFolder), prompt_(prompt) {
  // The destination controls live inside the dialog, which the platform's
  // own dialog cannot hold.
  setOption(QFileDialog::DontUseNativeDialog);
  setOption(QFileDialog::HideNameFilterDetails);
  setFileMode(QFileDialog::ExistingFiles);
  setAcceptMode(QFileDialog::AcceptOpen);
  setLabelText(QFileDialog::Accept, ToQString(kFileSelectionConfirm));
  QStringList filters;
  for (const FileFilter& filter : kFileSelectionFilters) filters << HostNameFilter(filter.label, filter.pattern);
  setNameFilters(filters);

  auto* destination = new QWidget(this);
  auto* row = new QHBoxLayout(destination);
  row->setContentsMargins(0, 0, 0, 0);
  root_ = new QComboBox(destination);
  for (std::u16string_view name : kDestinationRoots) root_->addItem(ToQString(WString(name)));
  root_->setCurrentIndex(static_cast<int>(kDefaultDestinationRootIndex));
  row->addWidget(root_);
  row->addWidget(new QLabel(QStringLiteral("\\"), destination));
  subDirectories_ = new QLineEdit(destination);
  subDirectories_->setMaxLength(static_cast<int>(kSubDirectoryFieldLimit));
  row->addWidget(subDirectories_, 1);
  help_ = new QPushButton(tr("Help"), destination);
  row->addWidget(help_);
  connect(help_, &QPushButton::clicked, this, [this] { ShowFileSelectionHelp(prompt_); });

  // The non-native dialog lays itself out on a grid: file list above, name
  // and type rows below; the destination takes a row of its own under them.
  if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
    const int rowIndex = grid->rowCount();
    auto* label = new QLabel(WithMnemonic(ToQString(kClientDestinationLabel), u'd'), this);
    label->setBuddy(root_);
    grid->addWidget(label, rowIndex, 0);
    grid->addWidget(destination, rowIndex, 1, 1, grid->columnCount() - 1);
  }
  setTabOrder(root_, subDirectories_);
  setTabOrder(subDirectories_, help_);
}

void AddFilesDialog::accept() {
  if (const WString refusal = DestinationRefusal(ToWString(Destination())); !refusal.empty()) {
    prompt_.ShowMessage(kErrorCaption, refusal, MessageIcon::Error);
    return;
  }
  QFileDialog::accept();
}

QString AddFilesDialog::Destination() const {
  const WString root = root_->currentIndex() < 0 ? WString() : ToWString(root_->currentText());
  return ToQString(BuildDestination(root, ToWString(subDirectories_->text())));
}

}  // namespace tidewell::app
