#pragma once

#include <QLabel>

namespace tidewell::app {

// A text drawn as a link: underlined in the link colour, a pointing hand
// over it, reachable with Tab and activated with a click, Space or Enter.
class HyperlinkLabel : public QLabel {
  Q_OBJECT

 public:
  explicit HyperlinkLabel(const QString& text, QWidget* parent = nullptr);

 signals:
  void activated();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace tidewell::app
