#include "toolkit/FileDialogSize.h"

#include <QFileDialog>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QTreeView>
#include <algorithm>

namespace tidewell::app {

void FitFileDialog(QFileDialog& dialog) {
  const QFontMetrics metrics(dialog.font());
  QSize wanted(metrics.averageCharWidth() * 110, metrics.height() * 30);
  const QWidget* owner = dialog.parentWidget() ? dialog.parentWidget()->window() : nullptr;
  QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
  if (screen) wanted = wanted.boundedTo(screen->availableGeometry().size() * 9 / 10);
  dialog.resize(wanted.expandedTo(dialog.minimumSizeHint()));
  // The detail view: names get half the width, the size, type and date
  // columns share the rest.
  if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
    QHeaderView* header = details->header();
    const int name = dialog.width() / 2 - 40;
    header->resizeSection(0, std::max(name, header->sectionSize(0)));
    for (int column = 1; column < header->count(); ++column)
      header->resizeSection(column, std::max(header->sectionSize(column),
                                             header->sectionSizeHint(column) + 24));
  }
}

}  // namespace tidewell::app
