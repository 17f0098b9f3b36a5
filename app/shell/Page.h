#pragma once

#include <QWidget>

namespace tidewell {
class ProjectDocument;
}

namespace tidewell::app {

// One page of the main window. The main window keeps the pages and the
// project settings in step through these three calls only:
//   BindDocument      after New and Open replaced the document, and once at
//                     start, before the first LoadFromSettings; a page drops
//                     every reference into the previous document here;
//   LoadFromSettings  the page shows the settings (and its lists);
//   ValidateAndStore  the page stores its fields into the settings; with
//                     showBalloon a refused value is shown in the validation
//                     balloon at its field. Answers true when a value was
//                     refused.
class Page : public QWidget {
  Q_OBJECT

 public:
  using QWidget::QWidget;

  virtual void BindDocument(ProjectDocument& document) = 0;
  virtual void LoadFromSettings() = 0;
  virtual bool ValidateAndStore(bool showBalloon) = 0;

  // A main-window command the page carries out itself (the release page
  // takes "Preview client" and "Check for update now" from the menu).
  // False when the page does not handle the command.
  virtual bool HandleCommand(int command) { return false; }

  // Only the page shown counts for the size of the page area. A page fills
  // that area whatever its height for a width, and a hidden page asks for no
  // room: otherwise every layout pass of the main window would lay out the
  // wrapped texts of all five pages, the hidden ones included. Showing a page
  // makes the page area ask the page again.
  bool hasHeightForWidth() const override { return false; }
  QSize sizeHint() const override { return isHidden() ? QSize(0, 0) : QWidget::sizeHint(); }
  QSize minimumSizeHint() const override {
    return isHidden() ? QSize(0, 0) : QWidget::minimumSizeHint();
  }
};

}  // namespace tidewell::app
