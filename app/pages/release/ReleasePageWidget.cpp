#include "pages/release/ReleasePageWidget.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QStackedWidget>

#include "build/ToolFolder.h"
#include "pages/release/ReleasePanesView.h"
#ifdef TIDEWELL_PUBLISH
#include "pages/release/PublishView.h"
#endif
#include "pages/release/SignCommandView.h"
#include "pages/release/SigningKeyView.h"
#include "project/ProjectDocument.h"
#include "shell/PageCommands.h"
#include "shell/ProductIcons.h"
#include "toolkit/FieldRegistry.h"
#include "toolkit/HelpKey.h"
#include "toolkit/NavigationBar.h"

namespace tidewell::app {

// The panes' and commands' prompt: a balloon about a field of a pane that is
// not shown first shows that pane, so the balloon points at a visible field.
class ReleasePageWidget::PaneFieldPrompt final : public ForwardingPrompt {
 public:
  PaneFieldPrompt(Prompt& inner, std::function<void(int pane)> showPane)
      : ForwardingPrompt(inner), showPane_(std::move(showPane)) {}

  void ShowBalloon(const FieldId& field, const WString& caption, const WString& text,
                   MessageIcon icon) override {
    if (field == kClientExeField || field == kClientXmlField || field == kCheckNowField)
      showPane_(FilePane);
    else if (field == kAppVersionField || field == kUpdateVersionField)
      showPane_(VersionPane);
    ForwardingPrompt::ShowBalloon(field, caption, text, icon);
  }

 private:
  std::function<void(int)> showPane_;
};

namespace {

struct ItemText {
  int item;
  const char* text;
  const char* icon;  // a product icon (ProductIcons.h)
  const FieldId* field;  // where the command's balloons point
};

const ItemText kPaneItems[] = {
    {ReleasePageWidget::SummaryPane, "Build", "build", nullptr},
    {ReleasePageWidget::VersionPane, "Version configuration", "configure",
     nullptr},
    {ReleasePageWidget::FilePane, "File configuration", "save", nullptr},
};
const ItemText kCommandItems[] = {
    {ReleasePageWidget::PreviewClient, "Preview client", "preview",
     &kPreviewClientItem},
    {ReleasePageWidget::BuildClient, "Build client executable", "client",
     &kBuildClientItem},
    {ReleasePageWidget::BuildUpdateXml, "Build update XML", "server-files",
     &kBuildUpdateXmlItem},
    {ReleasePageWidget::ViewFiles, "View files", "open", &kViewFilesItem},
};

}  // namespace

ReleasePageWidget::ReleasePageWidget(PageServices& services, QWidget* parent,
                                     ProcessStarter* starter, const WString& toolFolder)
    : Page(parent),
      services_(services),
      prompt_(std::make_unique<PaneFieldPrompt>(services.prompt,
                                                [this](int pane) { ShowPane(pane); })),
      ownStarter_(starter ? nullptr : std::make_unique<HostProcessStarter>()),
      starter_(starter ? *starter : *ownStarter_),
      builder_(*prompt_, toolFolder.empty() ? RunningToolFolder() : toolFolder) {
  navigation_ = new NavigationBar(this);
  navigation_->SetIconSize(24);
  const int configure = navigation_->AddGroup(QStringLiteral("Configure"));
  for (const ItemText& item : kPaneItems)
    navigation_->AddItem(configure, QString::fromUtf8(item.text), ProductIcon(item.icon),
                         item.item);
  const int release = navigation_->AddGroup(QStringLiteral("Release"));
  for (const ItemText& item : kCommandItems) {
    const NavigationPosition position = navigation_->AddItem(
        release, QString::fromUtf8(item.text), ProductIcon(item.icon), item.item,
        false);
    // A success balloon lies beside its item and hides none of the commands.
    services_.fields.Register(
        *item.field, navigation_, [this, position] { return navigation_->ItemRect(position); },
        BalloonPlacement::Beside);
  }
  // The pane being left must hold valid values; otherwise the user stays on
  // it, with its balloon.
  navigation_->SetGuard(
      [this](NavigationPosition, NavigationPosition) { return !ValidatePane(shownPane_); });
  SetHelpKey(navigation_, "release.navigation");

  summary_ = new BuildSummaryView(this);
  version_ = new VersionConfigurationView(services_.fields, this);
  file_ = new FileConfigurationView(services_.fields, this);
  stack_ = new QStackedWidget(this);
  stack_->addWidget(summary_);   // SummaryPane
  stack_->addWidget(version_);   // VersionPane
  stack_->addWidget(file_);      // FilePane

  // The key every build signs with, under the panes.
  key_ = new SigningKeyView(*prompt_, this);
  // The command that signs the built client, kept in the user's preferences.
  sign_ = new SignCommandView(services_.preferences, this);
  auto* panes = new QVBoxLayout;
  panes->addWidget(stack_, 1);
  panes->addWidget(key_);
  panes->addWidget(sign_);
#ifdef TIDEWELL_PUBLISH
  // Publishing the built release, and checking it as clients see it.
  publish_ = new PublishView(services_.preferences, this);
  panes->addWidget(publish_);
#endif

  auto* layout = new QHBoxLayout(this);
  layout->addWidget(navigation_);
  layout->addSpacing(8);
  layout->addLayout(panes, 1);

  connect(navigation_, &NavigationBar::itemChosen, this, &ReleasePageWidget::ItemChosen);
  navigation_->Select(navigation_->Find(SummaryPane));
}

ReleasePageWidget::~ReleasePageWidget() = default;

void ReleasePageWidget::BindDocument(ProjectDocument& document) {
  document_ = &document;
  commands_.reset();
  panes_ = std::make_unique<ReleasePanes>(document.settings, *prompt_);
  commands_ = std::make_unique<BuildCommands>(document, *panes_, builder_, starter_, *prompt_);
  commands_->SetCollectPages([this] {
    if (services_.collectPages) services_.collectPages();
    else ValidateAndStore(false);
  });
  commands_->SetShowBuildSummary([this] { ShowPane(SummaryPane); });
#ifdef TIDEWELL_PUBLISH
  publish_->SetDocument(&document);
  publish_->SetProjectFile([this] {
    return document_ && document_->HasProject() ? document_->ProjectFilePath() : WString();
  });
#endif
  key_->SetProjectName([this] {
    return document_ ? document_->settings.RawValue(SettingKey::ProjName) : WString();
  });
  sign_->SetProjectFile([this] {
    return document_ && document_->HasProject() ? document_->ProjectFilePath() : WString();
  });
}

void ReleasePageWidget::PushFields() {
  panes_->file.fields = file_->Collect();
  panes_->version.fields = version_->Collect();
}

void ReleasePageWidget::PullFields() {
  file_->Show(panes_->file.fields);
  version_->Show(panes_->version.fields);
  summary_->Show(panes_->summary.fields);
}

void ReleasePageWidget::LoadFromSettings() {
  if (!panes_) return;
  panes_->LoadFromSettings();
  PullFields();
  summary_->LoadNotes(document_->settings);
  key_->Refresh();
  sign_->Load();
#ifdef TIDEWELL_PUBLISH
  publish_->Load();
#endif
}

bool ReleasePageWidget::ValidateAndStore(bool showBalloon) {
  if (!panes_) return false;
  PushFields();
  const bool invalid = panes_->ValidateAndStore(showBalloon);
  // The client name comes back normalised, whether or not it was stored.
  file_->Show(panes_->file.fields);
  summary_->StoreNotes(document_->settings);
  return invalid;
}

bool ReleasePageWidget::ValidatePane(int pane) {
  if (!panes_) return false;
  PushFields();
  bool invalid = false;
  if (pane == FilePane) invalid = panes_->file.ValidateAndStore(true);
  else if (pane == VersionPane) invalid = panes_->version.ValidateAndStore(true);
  file_->Show(panes_->file.fields);
  return invalid;
}

void ReleasePageWidget::ShowPane(int pane) {
  if (pane == SummaryPane && panes_) {
    panes_->summary.LoadFromSettings();
    summary_->Show(panes_->summary.fields);
  }
  shownPane_ = pane;
  stack_->setCurrentIndex(pane);
  navigation_->Select(navigation_->Find(pane));
}

void ReleasePageWidget::Choose(int item) { navigation_->Choose(navigation_->Find(item)); }

int ReleasePageWidget::SelectedItem() const { return navigation_->SelectedData(); }

void ReleasePageWidget::ItemChosen(int item) {
  if (item > FilePane) RunCommand(item);
  else ShowPane(item);
}

void ReleasePageWidget::RunCommand(int item) {
  if (!commands_) return;
  PushFields();
  commands_->SetSignCommand(sign_->Store());
  switch (item) {
    case PreviewClient: commands_->PreviewCommand(true); break;
    case BuildClient: commands_->BuildClientCommand(); break;
    case BuildUpdateXml: commands_->BuildUpdateXmlCommand(); break;
    case ViewFiles: commands_->ViewFilesCommand(); break;
    default: break;
  }
  file_->Show(panes_->file.fields);
  // A build may have made the project's first key.
  key_->Refresh();
}

bool ReleasePageWidget::HandleCommand(int command) {
  if (!commands_) return false;
  switch (static_cast<Command>(command)) {
    case Command::PreviewClient:
      PushFields();
      commands_->SetSignCommand(sign_->Store());
      commands_->PreviewCommand(false);
      file_->Show(panes_->file.fields);
      return true;
    case Command::CheckForUpdateNow:
      commands_->CheckForUpdateNow();
      return true;
    default:
      return false;
  }
}

}  // namespace tidewell::app
