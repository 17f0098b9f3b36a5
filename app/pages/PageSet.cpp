#include "pages/PageSet.h"

#include "pages/behaviours/ClientBehavioursPageWidget.h"
#include "pages/client/ClientPageWidget.h"
#include "pages/release/ReleasePageWidget.h"
#include "pages/files/ServerFilesPage.h"
#include "pages/registry/RegistryPage.h"
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

PageSet CreatePages(PageServices& services, QWidget* parent) {
  PageSet pages;
  pages.serverFiles = new ServerFilesPage(services, parent);
  pages.registry = new RegistryPage(services, parent);
  pages.client = new ClientPageWidget(services, parent);
  pages.clientBehaviours = new ClientBehavioursPageWidget(services, parent);
  pages.release = new ReleasePageWidget(services, parent);
  return pages;
}

}  // namespace tidewell::app
