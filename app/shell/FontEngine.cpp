#include "shell/FontEngine.h"

#include <QByteArray>
#include <QtGlobal>

namespace tidewell::app {

void PreferDirectWriteFonts() {
#ifdef Q_OS_WIN
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("windows:fontengine=directwrite"));
#endif
}

}  // namespace tidewell::app
