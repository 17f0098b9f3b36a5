#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>

#include <string_view>

namespace tidewell::app {

class BalloonManager;

// Resting the pointer on a control for one second shows its hover-help text
// in the information balloon. A control has help when it, or one of its
// ancestors, carries a help key (SetHelpKey) whose text is not empty; the
// balloon points at the widget that carries the key. Installed on the
// application, so every page and dialog takes part. The balloon closes when
// its control is hidden (its page is left) or a modal dialog blocks its
// window, so it never lies over another page or a dialog.
class HoverHelp : public QObject {
  Q_OBJECT

 public:
  using TextOf = std::function<QString(std::string_view key)>;

  // `textOf` defaults to the product's help-text table.
  HoverHelp(BalloonManager& balloons, TextOf textOf = {}, int restMs = 1000,
            QObject* parent = nullptr);
  ~HoverHelp() override;

  // The widget whose key names the help of `widget`, or null.
  static QWidget* HelpCarrier(QWidget* widget);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void PointerAt(QWidget* widget, QPoint globalPos);
  void Rested();
  void CloseBalloon();

  BalloonManager& balloons_;
  TextOf textOf_;
  QTimer rest_;
  QPointer<QWidget> under_;   // the widget the pointer rests on
  QPointer<QWidget> shownFor_;  // help already shown for this carrier
  QPointer<QWidget> balloon_;   // the balloon of the help last shown
  QPointer<QWidget> balloonFor_;  // the carrier that balloon points at
  QPoint globalPos_;
};

}  // namespace tidewell::app
