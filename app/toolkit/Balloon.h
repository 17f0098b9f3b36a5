#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "platform/Prompt.h"

class QLabel;

namespace tidewell::app {

// A balloon tip: caption, icon and text in a rounded box whose arrow touches
// a point on the screen. It never takes the keyboard focus, stays above the
// windows of the program (a modal dialog included), closes itself after its
// lifetime and closes when clicked.
class Balloon : public QWidget {
  Q_OBJECT

 public:
  Balloon(const QString& caption, const QString& text, MessageIcon icon,
          QWidget* parent = nullptr);

  // How long a balloon with this text stays: 5000 ms and 60 ms for each
  // character (UTF-16 code unit) of the text.
  static int LifetimeFor(const QString& text);

  // Places the balloon so that its arrow's tip is at `globalTip` (below the
  // point when the screen has room, above it otherwise), shows it and starts
  // its lifetime.
  void ShowPointingAt(QPoint globalTip);
  // Places the balloon to the right of `globalTip` with its arrow pointing
  // left at it, so it hides nothing above, below or left of that point (the
  // other items of a navigation bar). Falls back to ShowPointingAt when the
  // screen has no room on the right.
  void ShowBeside(QPoint globalTip);

  enum class Arrow { Up, Down, Left };
  int Lifetime() const { return lifetime_.interval(); }
  Arrow ArrowSide() const { return arrow_; }
  bool ArrowPointsUp() const { return arrow_ == Arrow::Up; }
  QString Caption() const { return caption_; }
  QString Text() const { return text_; }

 signals:
  void closed();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void SetArrowSide(Arrow side);
  void Start();

  QString caption_;
  QString text_;
  QTimer lifetime_;
  Arrow arrow_ = Arrow::Up;
  int arrowAt_ = 0;  // the arrow's tip along its edge, in the balloon's coordinates
};

// Shows balloons one at a time: a new balloon closes those on screen, except
// a balloon of the same pair group at another key (the two icon lists of the
// icon dialog show their balloons together).
class BalloonManager {
 public:
  struct Request {
    QWidget* anchor = nullptr;  // the balloon's owner window follows it
    QPoint globalTip;           // where the arrow touches
    QString caption;
    QString text;
    MessageIcon icon = MessageIcon::None;
    bool beside = false;  // to the right of the tip (Balloon::ShowBeside)
    QString key;        // what the balloon is about (a field identifier)
    QString pairGroup;  // empty: the balloon stays alone
  };

  BalloonManager() = default;
  BalloonManager(const BalloonManager&) = delete;
  BalloonManager& operator=(const BalloonManager&) = delete;
  ~BalloonManager();

  Balloon* Show(const Request& request);
  void CloseAll();
  // The balloons still on screen, oldest first.
  std::vector<Balloon*> Visible() const;

 private:
  struct Shown {
    QPointer<Balloon> balloon;
    QString key;
    QString pairGroup;
  };
  std::vector<Shown> shown_;
};

}  // namespace tidewell::app
