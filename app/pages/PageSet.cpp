#include "pages/PageSet.h"

#include "pages/behaviours/ClientBehavioursPageWidget.h"
#include "pages/client/ClientPageWidget.h"
#include "pages/release/ReleasePageWidget.h"
#include "pages/files/ServerFilesPage.h"
#include "pages/registry/RegistryPage.h"
#include "shell/DeferredPage.h"
#include "shell/PageCommands.h"

namespace tidewell::app {

Page* PageSet::PageOf(int command) const {
  switch (static_cast<Command>(command)) {
    case Command::ServerFilesPage: return serverFiles;
    case Command::RegistryPage: return registry;
    case Command::ClientPage: return client;
    case Command::ClientBehavioursPage: return clientBehaviours;
    case Command::ReleasePage: return release;
    default: return nullptr;
  }
}

std::array<Page*, 5> PageSet::CollectionOrder() const {
  return {release, client, clientBehaviours, serverFiles, registry};
}

namespace {

template <typename PageWidget>
Page* Deferred(PageServices& services, QWidget* parent) {
  return new DeferredPage(
      [&services](QWidget* stand) -> Page* { return new PageWidget(services, stand); }, parent);
}

}  // namespace

PageSet CreatePages(PageServices& services, QWidget* parent) {
  PageSet pages;
  pages.serverFiles = Deferred<ServerFilesPage>(services, parent);
  pages.registry = Deferred<RegistryPage>(services, parent);
  pages.client = Deferred<ClientPageWidget>(services, parent);
  pages.clientBehaviours = Deferred<ClientBehavioursPageWidget>(services, parent);
  pages.release = Deferred<ReleasePageWidget>(services, parent);
  return pages;
}

}  // namespace tidewell::app
