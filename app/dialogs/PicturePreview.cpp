#include "dialogs/PicturePreview.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "build/BitmapPreview.h"
#include "dialogs/FileFilters.h"
#include "shell/QtText.h"
#include "toolkit/FileDialogSize.h"

namespace tidewell::app {

namespace {

// "Show Preview" as the user last left it, for the life of the process.
bool showPreview = true;

// The headers of a .bmp file lie in its first bytes.
constexpr qint64 kHeaderBytes = 14 + 124;

}  // namespace

void PictureArea::SetPicture(const QImage& picture) {
  picture_ = picture;
  update();
}

QRect PictureArea::PlaceIn(const QSize& picture, const QRect& area) {
  if (picture.isEmpty() || area.isEmpty()) return {};
  QSize size;
  if (picture.width() > picture.height())
    size = QSize(area.width(), static_cast<int>(qint64{picture.height()} * area.width() /
                                                picture.width()));
  else
    size = QSize(static_cast<int>(qint64{picture.width()} * area.height() / picture.height()),
                 area.height());
  QRect placed(QPoint(0, 0), size);
  placed.moveCenter(area.center());
  return placed;
}

void PictureArea::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(PlaceIn(picture_.size(), rect()), picture_);
}

PicturePreviewPanel::PicturePreviewPanel(QWidget* parent)
    : QGroupBox(ToQString(kPreviewBoxTitle), parent) {
  show_ = new QCheckBox(ToQString(kShowPreviewLabel), this);
  show_->setChecked(showPreview);
  area_ = new PictureArea(this);
  area_->setMinimumSize(160, 120);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(show_);
  layout->addWidget(area_, 1);
  for (QLabel*& line : lines_) {
    line = new QLabel(this);
    line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(line);
  }
  connect(show_, &QCheckBox::toggled, this, [this](bool on) {
    showPreview = on;
    if (on) ShowFile(path_);
    else Clear();
  });
}

void PicturePreviewPanel::ShowFile(const QString& path) {
  path_ = path;
  if (!show_->isChecked()) return;
  QFile file(path);
  std::optional<BitmapFacts> facts;
  QImage picture;
  if (QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly)) {
    const QByteArray start = file.read(kHeaderBytes);
    facts = ReadBitmapFacts(std::string_view(start.constData(), static_cast<size_t>(start.size())));
    if (facts) picture.load(path, "BMP");
  }
  if (!facts || picture.isNull()) {
    // Not a bitmap: the picture goes, the lines stay as they were.
    area_->SetPicture({});
    return;
  }
  area_->SetPicture(picture);
  const auto lines = BitmapPreviewLines(*facts, static_cast<uint64_t>(QFileInfo(path).size()));
  for (size_t i = 0; i < lines.size(); ++i) lines_[i]->setText(ToQString(lines[i]));
}

std::array<QString, 4> PicturePreviewPanel::Lines() const {
  return {lines_[0]->text(), lines_[1]->text(), lines_[2]->text(), lines_[3]->text()};
}

void PicturePreviewPanel::Clear() {
  area_->SetPicture({});
  for (QLabel* line : lines_) line->clear();
}

QString ChooseBitmapFile(QWidget* parent, const QString& startFolder) {
  QFileDialog dialog(parent, ToQString(kSelectBitmapTitle), startFolder,
                     QtFileFilters(kBitmapFilters));
  // The preview panel needs the toolkit's own dialog, not the platform's.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  // The filter texts name their patterns themselves ("Bitmaps (*.bmp)").
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setSizeGripEnabled(true);
  auto* panel = new PicturePreviewPanel(&dialog);
  panel->setFixedWidth(220);
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
    grid->addWidget(panel, 0, grid->columnCount(), grid->rowCount(), 1);
  QObject::connect(&dialog, &QFileDialog::currentChanged, panel, &PicturePreviewPanel::ShowFile);
  FitFileDialog(dialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return QDir::toNativeSeparators(dialog.selectedFiles().first());
}

}  // namespace tidewell::app
