#include "pages/files/AutoCompareDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "files/DirectoryComparison.h"
#include "shell/PageServices.h"
#include "shell/QtText.h"
#include "toolkit/FieldRegistry.h"
#include "toolkit/Mnemonic.h"

namespace tidewell::app {

AutoCompareDialog::AutoCompareDialog(PageServices& services, FolderChooser chooseFolder,
                                     QWidget* parent)
    : QDialog(parent), services_(services), chooseFolder_(std::move(chooseFolder)) {
  setWindowTitle(ToQString(kAutoCompareTitle));
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(4);
  auto addRow = [&](int row, const QString& label, const QString& browseText,
                    const QString& pickerText, QLineEdit*& field, QPushButton*& browse) {
    auto* text = new QLabel(label, this);
    grid->addWidget(text, row * 3, 0, 1, 2);
    field = new QLineEdit(this);
    field->setMinimumWidth(320);
    text->setBuddy(field);
    browse = new QPushButton(browseText, this);
    grid->addWidget(field, row * 3 + 1, 0);
    grid->addWidget(browse, row * 3 + 1, 1);
    connect(browse, &QPushButton::clicked, this, [this, target = field, pickerText] {
      const QString chosen = chooseFolder_ ? chooseFolder_(this, pickerText) : QString();
      if (!chosen.isEmpty()) target->setText(chosen);
    });
  };
  addRow(0, WithMnemonic(ToQString(kOldVersionLabel), u'd'), tr("&Browse"),
         tr("Select the folder that holds the old version of your product, the version your "
            "users have now."),
         old_, oldBrowse_);
  grid->setRowMinimumHeight(2, 8);
  addRow(1, WithMnemonic(ToQString(kLatestVersionLabel), u'l'), tr("B&rowse"),
         tr("Select the folder that holds the latest (current) version of your product, the "
            "version the update brings."),
         latest_, latestBrowse_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &AutoCompareDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addSpacing(8);
  layout->addWidget(buttons);

  services_.fields.Register(kOldVersionBrowseField, oldBrowse_);
  services_.fields.Register(kLatestVersionBrowseField, latestBrowse_);
  setTabOrder(old_, oldBrowse_);
  setTabOrder(oldBrowse_, latest_);
  setTabOrder(latest_, latestBrowse_);
}

WString AutoCompareDialog::OldFolder() const { return ToWString(old_->text()); }
WString AutoCompareDialog::LatestFolder() const { return ToWString(latest_->text()); }

void AutoCompareDialog::accept() {
  if (!ValidateAutoCompare(OldFolder(), LatestFolder(), services_.prompt)) return;
  QDialog::accept();
}

}  // namespace tidewell::app
