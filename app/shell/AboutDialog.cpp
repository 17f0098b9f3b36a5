#include "shell/AboutDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QVBoxLayout>
#include <pugixml.hpp>
#include <zlib.h>

#include "TidewellVersion.h"
#include "shell/ProductIcons.h"

namespace tidewell::app {

namespace {

struct Library {
  QString name;
  QString version;
  const char* use;
  const char* licence;
};

QString PugixmlVersion() {
  return QStringLiteral("%1.%2").arg(PUGIXML_VERSION / 1000).arg(PUGIXML_VERSION % 1000 / 10);
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("About Tidewell"));

  auto* icon = new QLabel(this);
  icon->setPixmap(ProductIcon("tidewell").pixmap(64, 64));
  icon->setAlignment(Qt::AlignTop);
  auto* title = new QLabel(QStringLiteral("Tidewell"), this);
  QFont large = title->font();
  large.setBold(true);
  large.setPointSizeF(large.pointSizeF() * 1.6);
  title->setFont(large);
  auto* version = new QLabel(QStringLiteral("Version %1").arg(QStringLiteral(TIDEWELL_VERSION_TEXT)), this);

  auto* purpose = new QLabel(
      QStringLiteral(
          "Tidewell describes how the installed copies of your Windows application are kept up "
          "to date. A project lists the files to deliver and where they go, the registry "
          "changes and the programs to run during an update, and the texts and pictures your "
          "end-users see. From it Tidewell builds the server update file that you place beside "
          "the update files on your server, and the update client that you ship with your "
          "application."),
      this);
  purpose->setWordWrap(true);

  const Library libraries[] = {
      {QStringLiteral("Qt"), QString::fromLatin1(qVersion()), "windows and dialogs",
       "GNU LGPL version 3"},
      {QStringLiteral("pugixml"), PugixmlVersion(), "project and update files", "MIT licence"},
      {QStringLiteral("zlib and minizip"), QStringLiteral(ZLIB_VERSION), "zip archives",
       "zlib licence"},
  };
  auto* table = new QGridLayout;
  table->setHorizontalSpacing(16);
  table->setVerticalSpacing(4);
  auto* heading = new QLabel(QStringLiteral("Built with"), this);
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  table->addWidget(heading, 0, 0, 1, 3);
  int row = 1;
  for (const Library& library : libraries) {
    table->addWidget(new QLabel(library.name + QLatin1Char(' ') + library.version, this), row, 0);
    table->addWidget(new QLabel(QString::fromLatin1(library.use), this), row, 1);
    table->addWidget(new QLabel(QString::fromLatin1(library.licence), this), row, 2);
    ++row;
  }
  table->setColumnStretch(2, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* titleColumn = new QVBoxLayout;
  titleColumn->setSpacing(2);
  titleColumn->addWidget(title);
  titleColumn->addWidget(version);
  titleColumn->addStretch();
  auto* top = new QHBoxLayout;
  top->setSpacing(16);
  top->addWidget(icon);
  top->addLayout(titleColumn, 1);

  purpose->setFixedWidth(460);
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(20, 20, 20, 12);
  column->setSpacing(12);
  column->addLayout(top);
  column->addWidget(purpose);
  column->addLayout(table);
  column->addSpacing(4);
  column->addWidget(buttons);
  column->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace tidewell::app
