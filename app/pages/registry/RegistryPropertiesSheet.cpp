#include "pages/registry/RegistryPropertiesSheet.h"

#include "files/FileProperties.h"
#include "pages/files/OsTargetsPage.h"
#include "shell/QtText.h"

namespace tidewell::app {

RegistryPropertiesSheet::RegistryPropertiesSheet(int32_t targets, QWidget* parent)
    : PropertySheet(tr("Registry update properties"), parent) {
  general_ = new OsTargetsPage(targets, Tabs());
  Tabs()->addTab(general_, ToQString(kGeneralPageTitle));
}

int32_t RegistryPropertiesSheet::Targets() const { return general_->Mask(); }

}  // namespace tidewell::app
