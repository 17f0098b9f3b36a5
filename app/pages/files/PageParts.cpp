#include "pages/files/PageParts.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "toolkit/HelpKey.h"

namespace tidewell::app {

QWidget* MakeSideColumn(const char* helpKey, std::initializer_list<QPushButton*> buttons,
                        const QString& panelTitle, std::initializer_list<QString> labels,
                        QLabel** fields, QWidget* parent) {
  auto* column = new QWidget(parent);
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* operations = new QGroupBox(QObject::tr("Operations"), column);
  SetHelpKey(operations, helpKey);
  auto* row = new QHBoxLayout(operations);
  for (QPushButton* button : buttons) {
    button->setParent(operations);
    row->addWidget(button);
  }
  if (buttons.size() == 1) row->addStretch();
  layout->addWidget(operations);

  auto* panel = new QGroupBox(panelTitle, column);
  auto* form = new QFormLayout(panel);
  form->setLabelAlignment(Qt::AlignRight);
  for (const QString& label : labels) {
    auto* field = new QLabel(panel);
    field->setTextFormat(Qt::PlainText);
    field->setTextInteractionFlags(Qt::TextSelectableByMouse);
    field->setWordWrap(true);
    form->addRow(label, field);
    *fields++ = field;
  }
  layout->addWidget(panel);
  layout->addStretch();
  // Wide enough for the three buttons of the update-files page.
  column->setFixedWidth(260);
  return column;
}

}  // namespace tidewell::app
