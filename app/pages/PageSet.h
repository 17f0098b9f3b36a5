#pragma once

#include <array>

#include "shell/Page.h"
#include "shell/PageServices.h"

namespace tidewell::app {

// The five pages of the main window. They are created in this order, and
// collected and refreshed in the order of `CollectionOrder()`.
struct PageSet {
  Page* serverFiles = nullptr;      // command 110
  Page* registry = nullptr;         // command 115
  Page* client = nullptr;           // command 113, "Configure"
  Page* clientBehaviours = nullptr;  // command 111, "Client"
  Page* release = nullptr;          // command 112, "Build"

  // The page a page command shows, or null.
  Page* PageOf(int command) const;
  // Release page (its panes), client page, client behaviours page, then the
  // update-files page; the registry page keeps nothing outside its tree.
  std::array<Page*, 5> CollectionOrder() const;
};

// Creates the five pages as children of `parent`, in their fixed order; each
// is made when it is first needed (see DeferredPage).
PageSet CreatePages(PageServices& services, QWidget* parent);

}  // namespace tidewell::app
