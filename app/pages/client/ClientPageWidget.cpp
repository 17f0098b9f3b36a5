#include "pages/client/ClientPageWidget.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/FileFilters.h"
#include "dialogs/VariablesButton.h"
#include "project/ProjectDocument.h"
#include "shell/QtText.h"
#include "toolkit/FileDialogSize.h"
#include "toolkit/HelpKey.h"
#include "toolkit/Mnemonic.h"
#include "toolkit/PageHeader.h"

namespace tidewell::app {

namespace {

// The five fields in the order of ClientPage::Fields.
WString ClientPage::Fields::*const kFieldMembers[] = {
    &ClientPage::Fields::requestXml, &ClientPage::Fields::filesLocation,
    &ClientPage::Fields::companyName, &ClientPage::Fields::appTitle,
    &ClientPage::Fields::executable};

// Their settings, in the same order.
constexpr SettingKey kFieldKeys[] = {SettingKey::HTTPLocationXML, SettingKey::HTTPLocationFiles,
                                     SettingKey::CompanyName, SettingKey::AppTitle,
                                     SettingKey::Executable};

WString Unchanged(const QString& text) { return ToWString(text); }

QLabel* FieldLabel(const WString& text, char16_t mnemonic, QWidget* buddy, QWidget* parent) {
  auto* label = new QLabel(WithMnemonic(ToQString(text), mnemonic), parent);
  label->setBuddy(buddy);
  return label;
}

}  // namespace

ClientPageWidget::ClientPageWidget(PageServices& services, QWidget* parent)
    : Page(parent), services_(services) {
  for (QLineEdit*& field : fields_) field = MakeLineEdit(this);
  const char* helpKeys[] = {"client.requestXml", "client.filesLocation", "client.companyName",
                            "client.appTitle", "client.executable"};
  for (size_t i = 0; i < fields_.size(); ++i) SetHelpKey(fields_[i], helpKeys[i]);

  variables_ = new VariablesButton(
      RequestXmlField(),
      [this] { return document_ ? document_->variables.VariableNames() : std::vector<WString>{}; },
      [this] {
        if (services_.showVariables) services_.showVariables();
      },
      this);
  SetHelpKey(variables_, "client.variables");
  browse_ = new QPushButton(QStringLiteral("..."), this);
  QPushButton* browse = browse_;
  browse->setFixedWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
  SetHelpKey(browse, "client.browseExecutable");
  connect(browse, &QPushButton::clicked, this, &ClientPageWidget::BrowseMainExecutable);

  auto* server = new QGroupBox(ToQString(kServerInformationGroup), this);
  auto* serverGrid = new QGridLayout(server);
  serverGrid->addWidget(FieldLabel(kRequestXmlLabel, u'r', RequestXmlField(), server), 0, 0);
  serverGrid->addWidget(RequestXmlField(), 0, 1);
  serverGrid->addWidget(variables_, 0, 2);
  serverGrid->addWidget(FieldLabel(kFilesLocationLabel, u'l', FilesLocationField(), server), 1, 0);
  serverGrid->addWidget(FilesLocationField(), 1, 1, 1, 2);
  serverGrid->setColumnStretch(1, 1);

  auto* general = new QGroupBox(ToQString(kGeneralInformationGroup), this);
  auto* generalGrid = new QGridLayout(general);
  generalGrid->addWidget(FieldLabel(kCompanyNameLabel, u'c', CompanyNameField(), general), 0, 0);
  generalGrid->addWidget(CompanyNameField(), 0, 1, 1, 2);
  generalGrid->addWidget(FieldLabel(kAppTitleLabel, u't', AppTitleField(), general), 1, 0);
  generalGrid->addWidget(AppTitleField(), 1, 1, 1, 2);
  generalGrid->addWidget(FieldLabel(kExecutableLabel, u'n', ExecutableField(), general), 2, 0);
  generalGrid->addWidget(ExecutableField(), 2, 1);
  generalGrid->addWidget(browse, 2, 2);
  generalGrid->setColumnStretch(1, 1);
  // Both groups' labels take the same width, so their fields line up.
  int labelWidth = 0;
  for (QGridLayout* grid : {serverGrid, generalGrid})
    for (int row = 0; row < grid->rowCount(); ++row)
      labelWidth = std::max(labelWidth, grid->itemAtPosition(row, 0)->sizeHint().width());
  serverGrid->setColumnMinimumWidth(0, labelWidth);
  generalGrid->setColumnMinimumWidth(0, labelWidth);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new PageHeader(ToQString(kClientPageHeader),
                                     ToQString(kClientPageSubHeader), this));
  layout->addSpacing(6);
  layout->addWidget(server);
  layout->addSpacing(6);
  layout->addWidget(general);
  layout->addStretch();

  // Reading order: each field, then the button beside it.
  setTabOrder(RequestXmlField(), variables_);
  setTabOrder(variables_, FilesLocationField());
  setTabOrder(FilesLocationField(), CompanyNameField());
  setTabOrder(CompanyNameField(), AppTitleField());
  setTabOrder(AppTitleField(), ExecutableField());
  setTabOrder(ExecutableField(), browse);
}

ClientPageWidget::~ClientPageWidget() = default;

void ClientPageWidget::BindDocument(ProjectDocument& document) {
  document_ = &document;
  page_ = std::make_unique<ClientPage>(document.settings);
}

void ClientPageWidget::LoadFromSettings() {
  if (!page_) return;
  page_->LoadFromSettings();
  for (size_t i = 0; i < fields_.size(); ++i) {
    fields_[i]->setText(ToQString(page_->fields.*kFieldMembers[i]));
    fields_[i]->setCursorPosition(0);
    // The value as stored, so an unedited field stores it back unchanged.
    shown_[i].Load(document_->settings.RawValue(kFieldKeys[i]), fields_[i]->text());
  }
}

ClientPage::Fields ClientPageWidget::Collect() const {
  ClientPage::Fields fields;
  for (size_t i = 0; i < fields_.size(); ++i)
    fields.*kFieldMembers[i] = shown_[i].Collect(fields_[i]->text(), &Unchanged);
  return fields;
}

bool ClientPageWidget::ValidateAndStore(bool showBalloon) {
  if (!page_) return false;
  page_->fields = Collect();
  return page_->ValidateAndStore(showBalloon);
}

void ClientPageWidget::BrowseMainExecutable() {
  if (!document_) return;
  QFileDialog dialog(services_.window ? services_.window : this,
                     ToQString(kSelectMainExecutableTitle),
                     ToQString(document_->settings.GetSetting(SettingKey::UpdateFilesDir)),
                     QtFileFilters(kMainExecutableFilters));
  // The filter texts name their patterns themselves ("Executable Files (*.exe)").
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setFileMode(QFileDialog::ExistingFile);
  FitFileDialog(dialog);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
  ChooseMainExecutable(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
}

void ClientPageWidget::ChooseMainExecutable(const QString& path) {
  if (!page_) return;
  // The name is stored at once and shown before the icon question.
  const WString name = page_->ChooseMainExecutable(
      ToWString(path), services_.prompt, [this](const WString& source) {
        ExecutableField()->setText(ToQString(page_->fields.executable));
        shown_[4].Load(page_->fields.executable, ExecutableField()->text());
        if (services_.setClientIcons) services_.setClientIcons(source);
      });
  ExecutableField()->setText(ToQString(name));
  shown_[4].Load(name, ExecutableField()->text());
}

}  // namespace tidewell::app
