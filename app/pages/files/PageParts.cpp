#include "pages/files/PageParts.h"

#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "toolkit/HelpKey.h"

namespace tidewell::app {

QWidget* MakeHeading(const QString& title, const QString& subTitle, QWidget* parent) {
  auto* heading = new QWidget(parent);
  auto* layout = new QVBoxLayout(heading);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  auto* titleLabel = new QLabel(title, heading);
  QFont font = titleLabel->font();
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.15);
  titleLabel->setFont(font);
  layout->addWidget(titleLabel);
  auto* subLabel = new QLabel(subTitle, heading);
  subLabel->setWordWrap(true);
  subLabel->setContentsMargins(12, 0, 0, 0);
  layout->addWidget(subLabel);
  auto* rule = new QFrame(heading);
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);
  layout->addSpacing(4);
  layout->addWidget(rule);
  return heading;
}

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
