#pragma once

#include <QLabel>

namespace tidewell::app {

// A one-line label for a path: when the text is wider than the label, its
// middle gives way to an ellipsis, so the start and the end of the path
// stay readable. Text() answers the whole text.
class ElidedLabel : public QLabel {
  Q_OBJECT

 public:
  explicit ElidedLabel(QWidget* parent = nullptr);

  void SetText(const QString& text);
  QString Text() const { return full_; }
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Elide();

  QString full_;
};

}  // namespace tidewell::app
