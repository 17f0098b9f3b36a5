#include "pages/files/PropertySheet.h"

#include <QDialogButtonBox>
#include <QVBoxLayout>

namespace tidewell::app {

PropertySheet::PropertySheet(const QString& title, QWidget* parent) : QDialog(parent) {
  setWindowTitle(title);
  tabs_ = new QTabWidget(this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons);
  setMinimumWidth(340);
}

}  // namespace tidewell::app
