#include "toolkit/HelpKey.h"

#include <QByteArray>
#include <QVariant>
#include <QWidget>

namespace tidewell::app {

namespace {
constexpr const char* kHelpKeyProperty = "tidewellHelpKey";
}

void SetHelpKey(QWidget* widget, std::string_view key) {
  widget->setProperty(kHelpKeyProperty,
                      QByteArray(key.data(), static_cast<qsizetype>(key.size())));
}

std::string HelpKeyOf(const QWidget* widget) {
  return widget->property(kHelpKeyProperty).toByteArray().toStdString();
}

}  // namespace tidewell::app
