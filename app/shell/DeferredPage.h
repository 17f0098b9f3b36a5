#pragma once

#include <functional>

#include "shell/Page.h"

namespace tidewell::app {

// Moves the keyboard focus to the first control of `page` in tab order that
// can take it; a page without one takes the focus itself.
void FocusFirstControl(QWidget* page);

// A page made when it is first needed: when it is first shown, or when the
// main window first asks it to store its fields or to carry out a command.
// Until then nothing can have been typed into it, so storing has nothing to
// add; once made, it is bound to the last document and, when the pages were
// already loaded, loads the settings as they stand. The main window starts
// with only the page it shows made; the other four are made on first use.
class DeferredPage final : public Page {
  Q_OBJECT

 public:
  using Factory = std::function<Page*(QWidget* parent)>;

  DeferredPage(Factory make, QWidget* parent = nullptr);

  void BindDocument(ProjectDocument& document) override;
  void LoadFromSettings() override;
  bool ValidateAndStore(bool showBalloon) override;
  bool HandleCommand(int command) override;

  // The page itself once it is made; null before.
  Page* Made() const { return page_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Page& Make();

  Factory make_;
  Page* page_ = nullptr;
  ProjectDocument* document_ = nullptr;
  bool loaded_ = false;
};

}  // namespace tidewell::app
