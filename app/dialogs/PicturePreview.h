#pragma once

#include <QGroupBox>
#include <QImage>
#include <array>

class QCheckBox;
class QLabel;

namespace tidewell::app {

// The picture drawn to the full width of its area when it is wider than
// high, otherwise to the full height, keeping its shape, centred.
class PictureArea : public QWidget {
  Q_OBJECT

 public:
  using QWidget::QWidget;
  void SetPicture(const QImage& picture);
  const QImage& Picture() const { return picture_; }
  // Where the picture is drawn inside `area`.
  static QRect PlaceIn(const QSize& picture, const QRect& area);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};

// "Preview" beside the picture choice: the selected bitmap and its width,
// height, colours and size. "Show Preview" keeps its state for the life of
// the process.
class PicturePreviewPanel : public QGroupBox {
  Q_OBJECT

 public:
  explicit PicturePreviewPanel(QWidget* parent);

  // The selected file changed.
  void ShowFile(const QString& path);

  QCheckBox* ShowPreviewBox() const { return show_; }
  PictureArea* Area() const { return area_; }
  // The four lines as shown.
  std::array<QString, 4> Lines() const;

 private:
  void Clear();

  QCheckBox* show_;
  PictureArea* area_;
  std::array<QLabel*, 4> lines_{};
  QString path_;
};

// The file dialog of the "Main" and "Top" pictures, with the preview panel.
// Answers the chosen file, or an empty text.
QString ChooseBitmapFile(QWidget* parent, const QString& startFolder);

}  // namespace tidewell::app
