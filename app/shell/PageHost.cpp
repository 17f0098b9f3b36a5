#include "shell/PageHost.h"

#include "shell/DeferredPage.h"
#include "shell/PageCommands.h"
#include "shell/PageServices.h"

namespace tidewell::app {

namespace {
constexpr int kPageCommands[] = {
    static_cast<int>(Command::ServerFilesPage), static_cast<int>(Command::RegistryPage),
    static_cast<int>(Command::ClientPage), static_cast<int>(Command::ClientBehavioursPage),
    static_cast<int>(Command::ReleasePage)};

}  // namespace

PageHost::PageHost(PageServices& services, const PageFactory& createPages, QWidget* parent)
    : QStackedWidget(parent),
      pages_(createPages ? createPages(services, this) : CreatePages(services, this)) {
  // Created in their fixed order; the stack keeps that order.
  for (int command : kPageCommands) addWidget(pages_.PageOf(command));
}

bool PageHost::ShowPage(int command, bool storeBeforeBuild) {
  Page* page = pages_.PageOf(command);
  if (!page) return false;
  if (storeBeforeBuild && command == static_cast<int>(Command::ReleasePage)) {
    pages_.release->ValidateAndStore(false);
    pages_.client->ValidateAndStore(false);
  }
  if (currentWidget() == page) return true;
  setCurrentWidget(page);
  FocusFirstControl(page);
  emit pageShown(command);
  return true;
}

int PageHost::VisibleCommand() const {
  for (int command : kPageCommands)
    if (pages_.PageOf(command) == currentWidget()) return command;
  return -1;
}

void PageHost::CollectPages() {
  for (Page* page : pages_.CollectionOrder()) page->ValidateAndStore(false);
}

void PageHost::BindPages(ProjectDocument& document) {
  if (bound_ == &document) return;
  for (Page* page : pages_.CollectionOrder()) page->BindDocument(document);
  bound_ = &document;
  emit documentBound(document);
}

void PageHost::LoadPages(ProjectDocument& document) {
  BindPages(document);
  for (Page* page : pages_.CollectionOrder()) page->LoadFromSettings();
}

}  // namespace tidewell::app
