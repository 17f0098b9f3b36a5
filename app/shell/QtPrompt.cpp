#include "shell/QtPrompt.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "build/IconCatalogue.h"
#include "project/ProjectMessages.h"
#include "shell/QtText.h"
#include "toolkit/Balloon.h"
#include "toolkit/FieldRegistry.h"

namespace tidewell::app {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Warning:
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons BoxButtons(Buttons buttons) {
  switch (buttons) {
    case Buttons::Ok: return QMessageBox::Ok;
    case Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::ReloadOverwriteCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

Answer AnswerOf(int button) {
  switch (button) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default: return Answer::Ok;
  }
}

// Balloons whose fields are checked together and so may show at once.
QString PairGroupOf(const FieldId& field) {
  if (field == kLargeIconListField || field == kSmallIconListField)
    return QStringLiteral("iconLists");
  return {};
}

// The nearest widget on screen at or above `widget`: a field on a page that
// is not shown still gets a balloon where the user can see it.
QWidget* VisibleAnchor(QWidget* widget) {
  QWidget* visible = widget;
  while (visible && !visible->isVisible()) visible = visible->parentWidget();
  return visible;
}

}  // namespace

QtPrompt::QtPrompt(FieldRegistry& fields, BalloonManager& balloons)
    : fields_(fields), balloons_(balloons) {}

QtPrompt::~QtPrompt() {
  while (busyDepth_ > 0) SetBusy(false);
}

QWidget* QtPrompt::MessageOwner() const {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  if (mainWindow_ && mainWindow_->isVisible()) return mainWindow_;
  return QApplication::activeWindow();
}

Answer QtPrompt::RunBox(const WString& caption, const WString& text, Buttons buttons,
                        MessageIcon icon, const WString& detail) {
  QMessageBox box(BoxIcon(icon), ToQString(caption), ToQString(text), BoxButtons(buttons),
                  MessageOwner());
  box.setTextFormat(Qt::PlainText);
  if (!detail.empty()) {
    box.setInformativeText(ToQString(detail));
    // Paths and the system's words are shown as they are, never as markup.
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
      label->setTextFormat(Qt::PlainText);
  }
  if (buttons == Buttons::ReloadOverwriteCancel) {
    // Nothing is written unless the user says so.
    box.button(QMessageBox::Yes)->setText(QObject::tr("&Reload"));
    box.button(QMessageBox::No)->setText(QObject::tr("&Overwrite"));
    box.setDefaultButton(QMessageBox::Cancel);
  } else {
    box.setDefaultButton(buttons == Buttons::Ok || buttons == Buttons::OkCancel
                             ? QMessageBox::Ok
                             : QMessageBox::Yes);
  }
  // A question inside a long operation is answered with the normal pointer.
  const bool lifted = busyDepth_ > 0;
  if (lifted) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int button = box.exec();
  if (lifted) QApplication::restoreOverrideCursor();
  return AnswerOf(button);
}

void QtPrompt::ShowMessage(const WString& caption, const WString& text, MessageIcon icon) {
  RunBox(caption, text, Buttons::Ok, icon);
}

void QtPrompt::ShowDetailedMessage(const WString& caption, const WString& text,
                                   const WString& detail, MessageIcon icon) {
  RunBox(caption, text, Buttons::Ok, icon, detail);
}

Answer QtPrompt::Ask(const WString& caption, const WString& text, Buttons buttons,
                     MessageIcon icon) {
  return RunBox(caption, text, buttons, icon);
}

void QtPrompt::ShowBalloon(const FieldId& field, const WString& caption, const WString& text,
                           MessageIcon icon) {
  FieldAnchor anchor = fields_.Find(field);
  QWidget* const fieldWidget = anchor.widget;
  BalloonManager::Request request;
  QWidget* shown = VisibleAnchor(anchor.widget);
  if (shown && shown != anchor.widget) anchor = {shown, {}};
  if (!shown) {
    shown = MessageOwner();
    anchor = {shown, {}};
  }
  request.anchor = shown;
  request.globalTip = anchor.GlobalTip();
  request.beside = anchor.placement == BalloonPlacement::Beside;
  request.caption = ToQString(caption);
  request.text = ToQString(text);
  request.icon = icon;
  request.key = QString::fromStdString(field);
  request.pairGroup = PairGroupOf(field);
  balloons_.Show(request);
  // A refused value is typed again where the balloon points.
  if (icon == MessageIcon::Error && fieldWidget && shown == fieldWidget && shown->isEnabled() &&
      shown->focusPolicy() != Qt::NoFocus)
    shown->setFocus(Qt::OtherFocusReason);
}

void QtPrompt::SetStatusText(const WString& text) {
  if (!statusLabel_) return;
  statusLabel_->setText(ToQString(text.empty() ? kReadyStatus : text));
  statusLabel_->repaint();
}

void QtPrompt::SetBusy(bool busy) {
  if (busy) {
    if (busyDepth_++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (busyDepth_ > 0) {
    if (--busyDepth_ == 0) QApplication::restoreOverrideCursor();
  }
}

}  // namespace tidewell::app
