#include "toolkit/HoverHelp.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>

#include "platform/Prompt.h"
#include "shell/QtText.h"
#include "texts/HelpTexts.h"
#include "toolkit/Balloon.h"
#include "toolkit/HelpKey.h"

namespace tidewell::app {

HoverHelp::HoverHelp(BalloonManager& balloons, TextOf textOf, int restMs, QObject* parent)
    : QObject(parent), balloons_(balloons), textOf_(std::move(textOf)) {
  if (!textOf_) textOf_ = [](std::string_view key) { return HelpText(key); };
  rest_.setSingleShot(true);
  rest_.setInterval(restMs);
  connect(&rest_, &QTimer::timeout, this, &HoverHelp::Rested);
  qApp->installEventFilter(this);
}

HoverHelp::~HoverHelp() { qApp->removeEventFilter(this); }

QWidget* HoverHelp::HelpCarrier(QWidget* widget) {
  for (QWidget* w = widget; w; w = w->parentWidget()) {
    if (!HelpKeyOf(w).empty()) return w;
    if (w->isWindow()) break;
  }
  return nullptr;
}

bool HoverHelp::eventFilter(QObject* watched, QEvent* event) {
  if (!watched->isWidgetType()) return false;
  auto* widget = static_cast<QWidget*>(watched);
  // A balloon that comes up under the pointer is no control the pointer
  // rests on: it neither restarts the rest nor ends the help it shows.
  const bool onBalloon = qobject_cast<Balloon*>(widget->window()) != nullptr;
  switch (event->type()) {
    case QEvent::Enter:
      if (onBalloon) break;
      PointerAt(widget, static_cast<QEnterEvent*>(event)->globalPosition().toPoint());
      break;
    case QEvent::MouseMove:
      if (onBalloon) break;
      PointerAt(widget, static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
      break;
    case QEvent::HoverMove:
      if (onBalloon) break;
      PointerAt(widget, widget->mapToGlobal(
                            static_cast<QHoverEvent*>(event)->position().toPoint()));
      break;
    case QEvent::Leave:
      if (widget == under_) {
        rest_.stop();
        under_ = widget->parentWidget();
      }
      break;
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::Wheel:
    case QEvent::WindowDeactivate:
      rest_.stop();
      break;
    case QEvent::Hide:
      // The carrier or a page holding it went out of sight.
      if (balloonFor_ && (widget == balloonFor_ || widget->isAncestorOf(balloonFor_)))
        CloseBalloon();
      break;
    case QEvent::WindowBlocked:
      rest_.stop();
      if (balloonFor_ && widget == balloonFor_->window()) CloseBalloon();
      break;
    default: break;
  }
  return false;
}

void HoverHelp::PointerAt(QWidget* widget, QPoint globalPos) {
  // Events travel up to the parents; the innermost widget is the first told.
  if (widget != under_ && under_ && widget->isAncestorOf(under_) &&
      under_->rect().contains(under_->mapFromGlobal(globalPos)))
    return;
  if (widget != under_ || globalPos != globalPos_) {
    if (HelpCarrier(widget) != shownFor_) shownFor_ = nullptr;
    under_ = widget;
    globalPos_ = globalPos;
    rest_.start();
  }
}

void HoverHelp::CloseBalloon() {
  if (balloon_) balloon_->close();
  balloon_ = nullptr;
  balloonFor_ = nullptr;
  shownFor_ = nullptr;
}

void HoverHelp::Rested() {
  QWidget* carrier = under_ ? HelpCarrier(under_) : nullptr;
  if (!carrier || carrier == shownFor_ || !carrier->isVisible()) return;
  // A window behind a modal dialog shows no help.
  const QWidget* modal = QApplication::activeModalWidget();
  if (modal && carrier->window() != modal && !modal->isAncestorOf(carrier)) return;
  const QString text = textOf_(HelpKeyOf(carrier));
  if (text.isEmpty()) return;
  shownFor_ = carrier;
  BalloonManager::Request request;
  request.anchor = carrier;
  request.globalTip = carrier->mapToGlobal(carrier->rect().center());
  request.caption = ToQString(kInformationCaption);
  request.text = text;
  request.icon = MessageIcon::Information;
  request.key = QString::fromStdString(HelpKeyOf(carrier));
  balloon_ = balloons_.Show(request);
  balloonFor_ = carrier;
}

}  // namespace tidewell::app
