#include "pages/registry/RegistryPropertiesSheet.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

#include "files/FileProperties.h"
#include "pages/files/OsTargetsPage.h"
#include "shell/QtText.h"

namespace tidewell::app {

RegistryPropertiesSheet::RegistryPropertiesSheet(int32_t targets, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(tr("Registry update properties"));
  tabs_ = new QTabWidget(this);
  general_ = new OsTargetsPage(targets, tabs_);
  tabs_->addTab(general_, ToQString(kGeneralPageTitle));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
  setMinimumWidth(340);
}

int32_t RegistryPropertiesSheet::Targets() const { return general_->Mask(); }

}  // namespace tidewell::app
