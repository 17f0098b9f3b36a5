#include "pages/release/ReleasePanesView.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "project/ProjectSettings.h"
#include "shell/QtText.h"
#include "toolkit/FieldRegistry.h"
#include "toolkit/HelpKey.h"
#include "toolkit/PageHeader.h"

namespace tidewell::app {

namespace {

// The edited fields stand under their labels, so they keep their width
// beside the navigation bar in the smallest window.
constexpr QFormLayout::RowWrapPolicy kEditedFieldsWrap = QFormLayout::WrapAllRows;

// A pane: its heading with a line under it, then its fields.
QFormLayout* PaneLayout(QWidget* pane, const QString& heading, const QString& line,
                        QFormLayout::RowWrapPolicy wrap) {
  auto* layout = new QVBoxLayout(pane);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new PageHeader(heading, line, pane));
  layout->addSpacing(6);
  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  form->setRowWrapPolicy(wrap);
  layout->addLayout(form);
  // The fields stay under the heading however tall the page is; the
  // summary's notes box takes the room instead.
  layout->addStretch();
  return form;
}

QLineEdit* PaneField(const char* helpKey, QWidget* parent) {
  QLineEdit* field = MakeLineEdit(parent);
  SetHelpKey(field, helpKey);
  return field;
}

// A value shown from its start.
void ShowText(QLineEdit* field, const WString& value) {
  field->setText(ToQString(value));
  field->setCursorPosition(0);
}

}  // namespace

BuildSummaryView::BuildSummaryView(QWidget* parent) : QWidget(parent) {
  QFormLayout* form = PaneLayout(this, QStringLiteral("Build"),
                                 QStringLiteral("Test and release your application..."),
                                 QFormLayout::DontWrapRows);
  appVersion_ = PaneField("release.summaryAppVersion", this);
  updateVersion_ = PaneField("release.summaryUpdateVersion", this);
  for (QLineEdit* line : {appVersion_, updateVersion_}) {
    line->setReadOnly(true);
    line->setFrame(false);
    line->setFocusPolicy(Qt::NoFocus);
    line->setStyleSheet(QStringLiteral("background: transparent"));
  }
  notes_ = new QPlainTextEdit(this);
  notes_->setTabChangesFocus(true);
  SetHelpKey(notes_, "release.notes");
  form->addRow(QStringLiteral("Application Version:"), appVersion_);
  form->addRow(QStringLiteral("Update Version: "), updateVersion_);
  auto* notesLabel = new QLabel(QStringLiteral("&Notes:"), this);
  notesLabel->setBuddy(notes_);
  form->addRow(notesLabel);
  form->addRow(notes_);
  auto* outer = static_cast<QVBoxLayout*>(layout());
  outer->setStretchFactor(form, 1);
}

void BuildSummaryView::Show(const BuildSummaryPane::Fields& fields) {
  ShowText(appVersion_, fields.appVersion);
  ShowText(updateVersion_, fields.updateVersion);
}

void BuildSummaryView::LoadNotes(const ProjectSettings& settings) {
  notes_->setPlainText(ToEditorText(settings.GetSetting(SettingKey::Notes)));
  shownNotes_.Load(settings.RawValue(SettingKey::Notes), notes_->toPlainText());
}

void BuildSummaryView::StoreNotes(ProjectSettings& settings) const {
  settings.SetSetting(SettingKey::Notes,
                      shownNotes_.Collect(notes_->toPlainText(), &FromEditorText));
}

FileConfigurationView::FileConfigurationView(FieldRegistry& registry, QWidget* parent)
    : QWidget(parent) {
  QFormLayout* form =
      PaneLayout(this, QStringLiteral("File configuration"),
                 QStringLiteral("Choose appropriate file names for the client and update files"),
                 kEditedFieldsWrap);
  clientExe_ = PaneField("release.clientExe", this);
  checkNow_ = PaneField("release.checkNow", this);
  clientXml_ = PaneField("release.clientXml", this);
  form->addRow(QStringLiteral("&Update client exe:"), clientExe_);
  form->addRow(QStringLiteral("'&Check For Updates Now' tag:"), checkNow_);
  form->addRow(QStringLiteral("&XML update file:"), clientXml_);
  registry.Register(kClientExeField, clientExe_);
  registry.Register(kCheckNowField, checkNow_);
  registry.Register(kClientXmlField, clientXml_);
}

void FileConfigurationView::Show(const FileConfigurationPane::Fields& fields) {
  ShowText(clientExe_, fields.clientExe);
  ShowText(checkNow_, fields.checkNow);
  ShowText(clientXml_, fields.clientXml);
}

FileConfigurationPane::Fields FileConfigurationView::Collect() const {
  return {ToWString(clientExe_->text()), ToWString(checkNow_->text()),
          ToWString(clientXml_->text())};
}

VersionConfigurationView::VersionConfigurationView(FieldRegistry& registry, QWidget* parent)
    : QWidget(parent) {
  QFormLayout* form = PaneLayout(
      this, QStringLiteral("Version configuration"),
      QStringLiteral("To release the client state the appropriate version information"),
      kEditedFieldsWrap);
  appVersion_ = PaneField("release.appVersion", this);
  updateVersion_ = PaneField("release.updateVersion", this);
  form->addRow(QStringLiteral("&Application version:"), appVersion_);
  form->addRow(QStringLiteral("&Update version:"), updateVersion_);
  registry.Register(kAppVersionField, appVersion_);
  registry.Register(kUpdateVersionField, updateVersion_);
}

void VersionConfigurationView::Show(const VersionConfigurationPane::Fields& fields) {
  ShowText(appVersion_, fields.appVersion);
  ShowText(updateVersion_, fields.updateVersion);
}

VersionConfigurationPane::Fields VersionConfigurationView::Collect() const {
  return {ToWString(appVersion_->text()), ToWString(updateVersion_->text())};
}

}  // namespace tidewell::app
