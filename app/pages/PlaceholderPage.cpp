#include "pages/PlaceholderPage.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tidewell::app {

PlaceholderPage::PlaceholderPage(const QString& header, QWidget* parent) : Page(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(header, this));
  layout->addStretch();
}

}  // namespace tidewell::app
