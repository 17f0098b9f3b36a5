#pragma once

#include <QStackedWidget>
#include <functional>

#include "pages/PageSet.h"

namespace tidewell {
class ProjectDocument;
}

namespace tidewell::app {

struct PageServices;

// The page area of the main window: the five pages, one visible at a time,
// and the two exchanges between the pages and the project settings.
class PageHost : public QStackedWidget {
  Q_OBJECT

 public:
  using PageFactory = std::function<PageSet(PageServices&, QWidget* parent)>;

  // `createPages` makes the five pages; empty: the product's pages.
  PageHost(PageServices& services, const PageFactory& createPages = {},
           QWidget* parent = nullptr);

  const PageSet& Pages() const { return pages_; }

  // Shows the page of a page command. Before the Build page the release panes
  // and the client page store their fields (also when it is already shown).
  // The page shown gets the keyboard focus. False for a command with no page.
  // The first page of a session is shown with `storeBeforeBuild` off: the
  // pages hold nothing typed yet, and storing them would overwrite the
  // settings with empty fields.
  bool ShowPage(int command, bool storeBeforeBuild = true);
  // The command of the visible page.
  int VisibleCommand() const;

  // Every page stores its fields into the settings, in the collection order.
  void CollectPages();
  // Every page loads from the settings, in the collection order; first each
  // is bound to `document` when that is not the one they show.
  void LoadPages(ProjectDocument& document);
  // Binds every page to `document` when it is another one than before.
  void BindPages(ProjectDocument& document);

 signals:
  void pageShown(int command);
  // The pages were bound to another document (at start, after New and Open).
  void documentBound(ProjectDocument& document);

 private:
  PageSet pages_;
  const ProjectDocument* bound_ = nullptr;
};

}  // namespace tidewell::app
