#pragma once

#include <QMenu>
#include <QPointer>
#include <QPushButton>



namespace tidewell::app {

// A push button with an arrow part on its right, as wide as a scroll bar's
// arrow. A click on the main part is an ordinary click; a click on the arrow
// part, or the Up or Down key, opens the menu below the button.
class SplitButton : public QPushButton {
  Q_OBJECT

 public:
  explicit SplitButton(const QString& text, QWidget* parent = nullptr);

  // The button does not own the menu.
  void SetMenu(QMenu* menu) { menu_ = menu; }
  QMenu* Menu() const { return menu_; }
  // The arrow part, in the button's coordinates.
  QRect ArrowRect() const;
  // Opens the menu below the button (the request of the arrow part).
  void ShowMenu();

  QSize sizeHint() const override;

 signals:
  void menuRequested();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QPointer<QMenu> menu_;
};

}  // namespace tidewell::app
