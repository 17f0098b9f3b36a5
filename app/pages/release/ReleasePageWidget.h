#pragma once

#include <memory>

#include "build/BuildCommands.h"
#include "build/ClientBuilder.h"
#include "build/HostProcessStarter.h"
#include "build/ReleasePanes.h"
#include "shell/Page.h"
#include "shell/PageServices.h"

class QStackedWidget;

namespace tidewell::app {

class BuildSummaryView;
class FileConfigurationView;
class NavigationBar;
class PublishView;
class SignCommandView;
class SigningKeyView;
class VersionConfigurationView;

// "Build": the three release panes and the four build commands, chosen in
// the page's own navigation bar.
class ReleasePageWidget : public Page {
  Q_OBJECT

 public:
  // The items of the navigation bar.
  enum Item : int {
    SummaryPane,
    VersionPane,
    FilePane,
    PreviewClient,
    BuildClient,
    BuildUpdateXml,
    ViewFiles,
  };

  // `starter` starts the programs (the tests record them); null: this host.
  ReleasePageWidget(PageServices& services, QWidget* parent, ProcessStarter* starter = nullptr,
                    const WString& toolFolder = {});
  ~ReleasePageWidget() override;

  void BindDocument(ProjectDocument& document) override;
  void LoadFromSettings() override;
  bool ValidateAndStore(bool showBalloon) override;
  bool HandleCommand(int command) override;

  // Chooses an item of the navigation bar as a click does: a pane is shown
  // unless the pane being left refuses its values; a command runs.
  void Choose(int item);
  int ShownPane() const { return shownPane_; }
  // The item selected in the navigation bar: the pane shown.
  int SelectedItem() const;

  NavigationBar* Navigation() const { return navigation_; }
  BuildSummaryView* Summary() const { return summary_; }
  FileConfigurationView* FilePaneView() const { return file_; }
  VersionConfigurationView* VersionPaneView() const { return version_; }
  SigningKeyView* KeyView() const { return key_; }
  SignCommandView* SignView() const { return sign_; }
  // Null where the tool is built without publishing (Windows).
  PublishView* PublishPane() const { return publish_; }

 private:
  class PaneFieldPrompt;

  void ItemChosen(int item);
  void ShowPane(int pane);
  bool ValidatePane(int pane);
  // Widgets into the panes' fields, and back.
  void PushFields();
  void PullFields();
  void RunCommand(int item);

  PageServices& services_;
  std::unique_ptr<PaneFieldPrompt> prompt_;
  std::unique_ptr<ProcessStarter> ownStarter_;
  ProcessStarter& starter_;
  ClientBuilder builder_;
  ProjectDocument* document_ = nullptr;
  std::unique_ptr<ReleasePanes> panes_;
  std::unique_ptr<BuildCommands> commands_;
  NavigationBar* navigation_;
  QStackedWidget* stack_;
  BuildSummaryView* summary_;
  FileConfigurationView* file_;
  VersionConfigurationView* version_;
  SigningKeyView* key_;
  SignCommandView* sign_;
  PublishView* publish_ = nullptr;
  int shownPane_ = SummaryPane;
};

}  // namespace tidewell::app
