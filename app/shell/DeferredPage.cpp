#include "shell/DeferredPage.h"

#include <QVBoxLayout>

namespace tidewell::app {

void FocusFirstControl(QWidget* page) {
  // The whole focus chain of the window is walked: a page made after the
  // window has its controls at the end of the chain, not right after it.
  for (QWidget* w = page->nextInFocusChain(); w && w != page; w = w->nextInFocusChain()) {
    if (!page->isAncestorOf(w)) continue;
    if ((w->focusPolicy() & Qt::TabFocus) && w->isEnabled() && !w->isHidden()) {
      w->setFocus(Qt::OtherFocusReason);
      return;
    }
  }
  page->setFocus(Qt::OtherFocusReason);
}

DeferredPage::DeferredPage(Factory make, QWidget* parent) : Page(parent), make_(std::move(make)) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
}

void DeferredPage::BindDocument(ProjectDocument& document) {
  document_ = &document;
  if (page_) page_->BindDocument(document);
}

void DeferredPage::LoadFromSettings() {
  loaded_ = true;
  if (page_) page_->LoadFromSettings();
}

bool DeferredPage::ValidateAndStore(bool showBalloon) {
  return Make().ValidateAndStore(showBalloon);
}

bool DeferredPage::HandleCommand(int command) { return Make().HandleCommand(command); }

void DeferredPage::showEvent(QShowEvent* event) {
  Make();
  Page::showEvent(event);
}

Page& DeferredPage::Make() {
  if (page_) return *page_;
  // The page area gave the focus to this stand-in when it showed it.
  const bool hadFocus = window()->focusWidget() == this;
  page_ = make_(this);
  layout()->addWidget(page_);
  if (document_) page_->BindDocument(*document_);
  if (loaded_) page_->LoadFromSettings();
  // Shown at once rather than when the layout gets round to it, so that the
  // page area can give the focus to its first field straight away.
  if (isVisible()) page_->show();
  if (hadFocus) FocusFirstControl(page_);
  return *page_;
}

}  // namespace tidewell::app
