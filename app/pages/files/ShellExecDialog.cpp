#include "pages/files/ShellExecDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "content/ShellExecChoices.h"
#include "shell/PageServices.h"
#include "shell/QtText.h"
#include "toolkit/PageHeader.h"
#include "toolkit/FieldRegistry.h"
#include "toolkit/HelpKey.h"

namespace tidewell::app {

ShellExecDialog::ShellExecDialog(PageServices& services,
                                 std::function<QString(QWidget*)> chooseExecutable,
                                 QWidget* parent)
    : QDialog(parent), services_(services), chooseExecutable_(std::move(chooseExecutable)) {
  setWindowTitle(tr("File execution"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(
      new PageHeader(tr("File execution"), tr("Select a file to execute during or after the update"), this));

  auto* form = new QFormLayout;
  form->setContentsMargins(12, 8, 0, 8);
  directory_ = new QComboBox(this);
  for (std::u16string_view name : kExecutionDirectories) directory_->addItem(ToQString(WString(name)));
  directory_->setCurrentIndex(static_cast<int>(kDefaultExecutionDirectoryIndex));
  form->addRow(tr("Execution &directory:"), directory_);

  auto* fileRow = new QHBoxLayout;
  fileName_ = new QLineEdit(this);
  browse_ = new QPushButton(QStringLiteral("..."), this);
  browse_->setFixedWidth(browse_->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
  fileRow->addWidget(fileName_, 1);
  fileRow->addWidget(browse_);
  auto* fileLabel = new QLabel(tr("File &name:"), this);
  fileLabel->setBuddy(fileName_);
  form->addRow(fileLabel, fileRow);

  point_ = new QComboBox(this);
  for (const ExecutionPoint& point : kExecutionPoints) point_->addItem(ToQString(WString(point.name)));
  point_->setCurrentIndex(static_cast<int>(kDefaultExecutionPointIndex));
  pointLabel_ = new QLabel(tr("Execution &point:"), this);
  pointLabel_->setBuddy(point_);
  SetHelpKey(pointLabel_, "shellExec.point");
  form->addRow(pointLabel_, point_);
  layout->addLayout(form);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &ShellExecDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  connect(browse_, &QPushButton::clicked, this, [this] {
    const QString chosen = chooseExecutable_ ? chooseExecutable_(this) : QString();
    if (!chosen.isEmpty()) fileName_->setText(ToQString(FileNameOfChosenPath(ToWString(chosen))));
  });
  services_.fields.Register(kShellExecDirectoryField, directory_);
  services_.fields.Register(kShellExecFileNameField, fileName_);
  services_.fields.Register(kShellExecPointField, point_);
  setMinimumWidth(420);
}

ShellExecFields ShellExecDialog::Fields() const {
  ShellExecFields fields;
  fields.directoryIndex = directory_->currentIndex();
  fields.fileName = ToWString(fileName_->text());
  fields.pointIndex = point_->currentIndex();
  return fields;
}

void ShellExecDialog::accept() {
  if (!ValidateShellExec(Fields(), services_.prompt)) return;
  QDialog::accept();
}

}  // namespace tidewell::app
