#include "pages/files/PageParts.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>
#include <vector>

#include "toolkit/HelpKey.h"

namespace tidewell::app {

namespace {

constexpr int kColumnWidth = 240;     // room for the panel's labels and values
constexpr int kNarrowestColumn = 120;  // in the smallest window: the trees keep the room
constexpr int kGroupFrame = 2;

// The column asks for its full width and gives it up first when the window
// is small; its buttons then stand one under the other, all as wide as the
// column, and the panel's values stand under their labels.
class SideColumn : public QWidget {
 public:
  SideColumn(QWidget* parent, QBoxLayout* buttonRow) : QWidget(parent), buttonRow_(buttonRow) {
    // Never wider than it asks to be; narrower when the window is small.
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
  }
  QSize sizeHint() const override {
    return {std::max(kColumnWidth, RowWidth()), QWidget::sizeHint().height()};
  }
  void SetPanel(QFormLayout* panel) { panel_ = panel; }
  void AddButton(QPushButton* button) {
    buttons_.push_back({button, button->maximumWidth()});
    buttonRow_->addWidget(button);
    KeepButtonsWhole();
  }

 protected:
  void changeEvent(QEvent* event) override {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
      KeepButtonsWhole();
  }
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    const bool inRow = width() >= RowWidth();
    const auto direction = inRow ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom;
    if (buttonRow_->direction() == direction) return;
    buttonRow_->setDirection(direction);
    for (const auto& [button, rowWidth] : buttons_)
      button->setMaximumWidth(inRow ? rowWidth : QWIDGETSIZE_MAX);
    if (panel_) {
      panel_->setRowWrapPolicy(inRow ? QFormLayout::DontWrapRows : QFormLayout::WrapAllRows);
      panel_->setLabelAlignment(inRow ? Qt::AlignRight : Qt::AlignLeft);
    }
    // The group's new height is laid out now, not after the next paint, so
    // the buttons are never drawn squeezed into the height of a row.
    buttonRow_->parentWidget()->updateGeometry();
    layout()->invalidate();
    layout()->activate();
  }

 private:
  // The column is never narrower than its widest button, stacked, needs.
  void KeepButtonsWhole() {
    const QMargins margins = buttonRow_->contentsMargins();
    int widest = 0;
    for (const auto& entry : buttons_)
      widest = std::max(widest, entry.first->minimumSizeHint().width());
    setMinimumWidth(std::max(kNarrowestColumn,
                             widest + margins.left() + margins.right() + 2 * kGroupFrame));
  }

  // The width the group needs for its buttons side by side.
  int RowWidth() const {
    const QMargins margins = buttonRow_->contentsMargins();
    int width = margins.left() + margins.right() + 2 * kGroupFrame;
    for (const auto& [button, rowWidth] : buttons_)
      width += std::min(std::max(button->sizeHint().width(), button->minimumSizeHint().width()),
                        rowWidth);
    return width + buttonRow_->spacing() * std::max(0, static_cast<int>(buttons_.size()) - 1);
  }

  QBoxLayout* buttonRow_;
  QFormLayout* panel_ = nullptr;
  std::vector<std::pair<QPushButton*, int>> buttons_;  // each with its width in a row
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
    column->AddButton(button);
  }
  if (buttons.size() == 1) row->addStretch();
  layout->addWidget(operations);

  auto* panel = new QGroupBox(panelTitle, column);
  auto* form = new QFormLayout(panel);
  form->setLabelAlignment(Qt::AlignRight);
  column->SetPanel(form);
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
