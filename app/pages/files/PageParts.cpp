#include "pages/files/PageParts.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QResizeEvent>
#include <QVBoxLayout>

#include "toolkit/HelpKey.h"

namespace tidewell::app {

namespace {

constexpr int kColumnWidth = 260;     // wide enough for the three buttons in a row
constexpr int kNarrowestColumn = 175;  // in the smallest window: the trees keep the room

// The column asks for its full width and gives it up first when the window
// is small; its buttons then stand one under the other.
class SideColumn : public QWidget {
 public:
  SideColumn(QWidget* parent, QBoxLayout* buttonRow) : QWidget(parent), buttonRow_(buttonRow) {
    setMinimumWidth(kNarrowestColumn);
    setMaximumWidth(kColumnWidth);
  }
  QSize sizeHint() const override { return {kColumnWidth, QWidget::sizeHint().height()}; }

 protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    const auto direction =
        width() >= kColumnWidth ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
    if (buttonRow_->direction() != direction) buttonRow_->setDirection(direction);
  }

 private:
  QBoxLayout* buttonRow_;
};

}  // namespace

QWidget* MakeSideColumn(const char* helpKey, std::initializer_list<QPushButton*> buttons,
                        const QString& panelTitle, std::initializer_list<QString> labels,
                        QLabel** fields, QWidget* parent) {
  auto* row = new QHBoxLayout;
  auto* column = new SideColumn(parent, row);
  auto* layout = new QVBoxLayout(column);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* operations = new QGroupBox(QObject::tr("Operations"), column);
  SetHelpKey(operations, helpKey);
  operations->setLayout(row);
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
  return column;
}

}  // namespace tidewell::app
