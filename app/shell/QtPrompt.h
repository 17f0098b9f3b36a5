#pragma once

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include "platform/Prompt.h"



namespace tidewell::app {

class BalloonManager;
class FieldRegistry;

// The desktop tool's prompt: message boxes and questions owned by the modal
// dialog on screen or else the main window, balloons at the widgets the
// field registry names, the status text and the wait cursor.
class QtPrompt final : public Prompt {
 public:
  QtPrompt(FieldRegistry& fields, BalloonManager& balloons);
  ~QtPrompt() override;

  // The window that owns message boxes when no modal dialog is open.
  void SetMainWindow(QWidget* window) { mainWindow_ = window; }
  // The status bar's normal text.
  void SetStatusLabel(QLabel* label) { statusLabel_ = label; }

  void ShowMessage(const WString& caption, const WString& text, MessageIcon icon) override;
  // The detail line is the box's informative text, under the text.
  void ShowDetailedMessage(const WString& caption, const WString& text, const WString& detail,
                           MessageIcon icon) override;
  Answer Ask(const WString& caption, const WString& text, Buttons buttons,
             MessageIcon icon) override;
  void ShowBalloon(const FieldId& field, const WString& caption, const WString& text,
                   MessageIcon icon) override;
  // An empty text shows "Ready". The label is repainted at once: the caller
  // usually keeps the thread busy until it sets the next text.
  void SetStatusText(const WString& text) override;
  // Nested calls keep one wait cursor; the last release lifts it.
  void SetBusy(bool busy) override;

  int BusyDepth() const { return busyDepth_; }
  // The window a message box shown now would belong to.
  QWidget* MessageOwner() const;

 private:
  Answer RunBox(const WString& caption, const WString& text, Buttons buttons, MessageIcon icon,
               const WString& detail = {});

  FieldRegistry& fields_;
  BalloonManager& balloons_;
  QPointer<QWidget> mainWindow_;
  QPointer<QLabel> statusLabel_;
  int busyDepth_ = 0;
};

}  // namespace tidewell::app
