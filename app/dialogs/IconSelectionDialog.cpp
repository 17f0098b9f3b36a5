#include "dialogs/IconSelectionDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "dialogs/FileFilters.h"
#include "dialogs/IconImages.h"
#include "dialogs/TextFields.h"
#include "shell/QtText.h"
#include "toolkit/FieldRegistry.h"
#include "toolkit/FileDialogSize.h"
#include "toolkit/HelpKey.h"

namespace tidewell::app {

namespace {

constexpr std::array<FileFilter, 4> kIconSourceFilters = {{
    {u"Icon FiIes ", u"*.exe;*.dll"},
    {u"Programs ", u"*.exe"},
    {u"Libraries ", u"*.dll;*.ocx"},
    {u"All Files", u"*.*"},
}};
// The source field takes a path of at most this many characters.
constexpr int kSourceLimit = 260;

int SystemIconSize() { return QApplication::style()->pixelMetric(QStyle::PM_LargeIconSize); }

// Room for a resource name under an icon: about eight characters.
int NameWidth(const QFontMetrics& metrics) { return metrics.averageCharWidth() * 8; }

// An entry is the icon in a square of the system's icon size (a smaller
// image at the square's centre) with 4 pixels above and 8 below, then its
// resource name in a line of its own; as wide as the icon plus 6 pixels or the name's
// room, whichever is wider, the picture centred. A longer name is shortened
// in its middle.
class IconEntryDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return {std::max(SystemIconSize() + 6, NameWidth(option.fontMetrics)),
            SystemIconSize() + 12 + option.fontMetrics.height()};
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    const bool selected = option.state & QStyle::State_Selected;
    painter->fillRect(option.rect, selected ? option.palette.brush(QPalette::Highlight)
                                            : QBrush(Qt::white));
    const QImage picture = index.data(Qt::DecorationRole).value<QImage>();
    if (!picture.isNull())
      painter->drawImage(QPoint(option.rect.center().x() - picture.width() / 2,
                                option.rect.top() + 4 + (SystemIconSize() - picture.height()) / 2),
                         picture);
    const QRect nameBox(option.rect.left() + 1, option.rect.top() + SystemIconSize() + 10,
                        option.rect.width() - 2, option.fontMetrics.height());
    painter->setPen(selected ? option.palette.color(QPalette::HighlightedText)
                             : QColor(Qt::black));
    painter->drawText(nameBox, Qt::AlignHCenter | Qt::AlignTop,
                      option.fontMetrics.elidedText(index.data(Qt::UserRole).toString(),
                                                    Qt::ElideMiddle, nameBox.width()));
    if (option.state & QStyle::State_HasFocus) {
      QPen pen(option.palette.color(QPalette::Text), 1, Qt::DotLine);
      painter->setPen(pen);
      painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    }
  }
};

}  // namespace

IconListView::IconListView(QWidget* parent) : QListView(parent) {
  setViewMode(QListView::ListMode);
  setFlow(QListView::TopToBottom);
  setWrapping(true);
  setResizeMode(QListView::Adjust);
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setItemDelegate(new IconEntryDelegate(this));
  QPalette white = palette();
  white.setColor(QPalette::Base, Qt::white);
  setPalette(white);
  // Two rows of entries and the scroll bar.
  setMinimumHeight(2 * (SystemIconSize() + 12 + fontMetrics().height()) +
                   style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 2 * frameWidth() + 2);
}

WString IconListView::SelectedName() const {
  const QModelIndexList rows = selectionModel() ? selectionModel()->selectedIndexes()
                                                : QModelIndexList{};
  return rows.isEmpty() ? WString() : ToWString(rows.first().data(Qt::UserRole).toString());
}

IconSelectionDialog::IconSelectionDialog(const WString& initialSource, Prompt& prompt,
                                         FieldRegistry& fields, QWidget* parent)
    : QDialog(parent), prompt_(prompt) {
  setWindowTitle(QStringLiteral("Icon selection"));
  source_ = MakeLineEdit(this);
  source_->setMaxLength(kSourceLimit);
  SetHelpKey(source_, "iconSelection.source");
  auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
  browse->setAutoDefault(false);
  SetHelpKey(browse, "iconSelection.browse");

  largeModel_ = new IconImageModel(this);
  smallModel_ = new IconImageModel(this);
  large_ = new IconListView(this);
  large_->setModel(largeModel_);
  small_ = new IconListView(this);
  small_->setModel(smallModel_);
  SetHelpKey(large_, "iconSelection.large");
  SetHelpKey(small_, "iconSelection.small");

  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(QDialogButtonBox::Ok);
  buttons->addButton(QDialogButtonBox::Cancel);
  ok_->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(browse, &QPushButton::clicked, this, &IconSelectionDialog::Browse);

  auto* sourceLabel = new QLabel(QStringLiteral("&Icon source:"), this);
  sourceLabel->setBuddy(source_);
  auto* largeLabel = new QLabel(QStringLiteral("&Large icon:"), this);
  largeLabel->setBuddy(large_);
  auto* smallLabel = new QLabel(QStringLiteral("&Small icon:"), this);
  smallLabel->setBuddy(small_);

  auto* sourceRow = new QHBoxLayout;
  sourceRow->addWidget(source_, 1);
  sourceRow->addWidget(browse);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(sourceLabel);
  layout->addLayout(sourceRow);
  layout->addSpacing(6);
  layout->addWidget(largeLabel);
  layout->addWidget(large_, 1);
  layout->addWidget(smallLabel);
  layout->addWidget(small_, 1);
  layout->addSpacing(4);
  auto* bottom = new QHBoxLayout;
  auto* currentLabel = new QLabel(tr("The client's icons now:"), this);
  currentLarge_ = new QLabel(this);
  currentSmall_ = new QLabel(this);
  for (QLabel* picture : {currentLarge_, currentSmall_}) {
    picture->setAlignment(Qt::AlignCenter);
    picture->setMinimumSize(SystemIconSize() + 4, SystemIconSize() + 4);
  }
  bottom->addWidget(currentLabel);
  bottom->addWidget(currentLarge_);
  bottom->addWidget(currentSmall_);
  bottom->addStretch();
  bottom->addWidget(buttons);
  layout->addLayout(bottom);
  SetCurrentIcons({}, {});
  resize(520, 420);

  fields.Register(kLargeIconListField, large_);
  fields.Register(kSmallIconListField, small_);
  fields.Register(kIconSelectionOkField, ok_);
  Fill(initialSource);
}

void IconSelectionDialog::SetCurrentIcons(const QImage& large, const QImage& small) {
  if (large.isNull() && small.isNull()) {
    currentLarge_->setText(tr("(none)"));
    currentSmall_->clear();
    return;
  }
  currentLarge_->setPixmap(QPixmap::fromImage(large));
  currentSmall_->setPixmap(QPixmap::fromImage(small));
}

void IconSelectionDialog::Fill(const WString& source) {
  source_text_ = source;
  source_->setText(ToQString(source));
  catalogue_ = ReadIconCatalogue(source, [this](bool large, const WString& name,
                                               std::string_view image) {
    (large ? largeModel_ : smallModel_)->Append(name, image);
  });
  largeModel_->Publish();
  smallModel_->Publish();
  large_->clearSelection();
  small_->clearSelection();
  ReportMissingIcons(catalogue_, prompt_);
}

void IconSelectionDialog::accept() {
  if (source_->hasFocus()) {
    // Enter after typing a path lists that module; the dialog stays.
    Fill(ToWString(source_->text().left(kSourceLimit)));
    return;
  }
  const IconChoice choice{source_text_, large_->SelectedName(), small_->SelectedName()};
  if (!ValidateIconChoice(catalogue_, choice, prompt_)) return;
  choice_ = choice;
  QDialog::accept();
}

void IconSelectionDialog::Browse() {
  QFileDialog dialog(this, QStringLiteral("Icon source"), QString(),
                     QtFileFilters(kIconSourceFilters));
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setFileMode(QFileDialog::ExistingFile);
  FitFileDialog(dialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  Fill(ToWString(QDir::toNativeSeparators(dialog.selectedFiles().constFirst())));
}

}  // namespace tidewell::app
