#include "shell/ProjectDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "shell/QtText.h"
#include "text/Text.h"
#include "toolkit/FieldRegistry.h"
#include "toolkit/HelpKey.h"
#include "toolkit/Mnemonic.h"
#include "toolkit/PageHeader.h"

namespace tidewell::app {

namespace {

// A label naming `buddy`, with `letter` as its Alt accelerator.
QLabel* HelpLabel(const WString& text, char16_t letter, const char* helpKey, QWidget* buddy,
                  QWidget* parent) {
  auto* label = new QLabel(WithMnemonic(ToQString(text), letter), parent);
  label->setBuddy(buddy);
  SetHelpKey(label, helpKey);
  return label;
}

QPushButton* BrowseButton(QWidget* parent) {
  auto* button = new QPushButton(QStringLiteral("..."), parent);
  button->setAutoDefault(false);
  button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 24);
  return button;
}

QWidget* PageWith(const WString& header, QLayout* fields, QWidget* page) {
  auto* column = new QVBoxLayout(page);
  column->setContentsMargins(12, 12, 12, 12);
  column->setSpacing(10);
  column->addWidget(new PageHeader(ToQString(header), ToQString(kProjectDialogHelpLine), page));
  column->addLayout(fields);
  column->addStretch();
  return page;
}

}  // namespace

ProjectDialog::ProjectDialog(const ProjectDialogInput& input, Prompt& prompt,
                             FieldRegistry& fields, QWidget* parent)
    : QDialog(parent), input_(input), prompt_(prompt) {
  setWindowTitle(ToQString(kProjectDialogTitle));
  tabs_ = new QTabWidget(this);
  newPage_ = BuildNewPage();
  openPage_ = BuildOpenPage();
  const std::vector<WString> tabs = ProjectDialogTabs(input.mode);
  // "Save As" shows the new-project page alone; the other modes show "New"
  // and "Load".
  tabs_->addTab(newPage_, ToQString(tabs.at(0)));
  if (tabs.size() > 1)
    tabs_->addTab(openPage_, ToQString(tabs.at(1)));
  else
    openPage_->hide();
  tabs_->setCurrentIndex(static_cast<int>(ProjectDialogFirstTab(input.mode)));

  loadScreen_ = new QCheckBox(WithMnemonic(ToQString(kShowLoadScreenLabel), u's'), this);
  const bool showsBox = ShowsLoadScreenCheckBox(input.mode);
  loadScreen_->setVisible(showsBox);
  loadScreen_->setChecked(showsBox && input.showLoadScreen);
  buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons_, &QDialogButtonBox::accepted, this, &ProjectDialog::accept);
  connect(buttons_, &QDialogButtonBox::rejected, this, &ProjectDialog::reject);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(loadScreen_);
  bottom->addStretch();
  bottom->addWidget(buttons_);
  auto* column = new QVBoxLayout(this);
  column->addWidget(tabs_);
  column->addLayout(bottom);

  RegisterFields(fields);
  setMinimumWidth(520);
  (OnLoadTab() ? static_cast<QWidget*>(path_) : name_)->setFocus();
}

QWidget* ProjectDialog::BuildNewPage() {
  auto* page = new QWidget(this);
  name_ = new QLineEdit(page);
  location_ = new QLineEdit(page);
  locationBrowse_ = BrowseButton(page);
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(8);
  grid->addWidget(HelpLabel(kProjectNameLabel, u'n', "projectDialog.name", name_, page), 0, 0);
  grid->addWidget(name_, 0, 1, 1, 2);
  grid->addWidget(
      HelpLabel(kProjectLocationLabel, u'l', "projectDialog.location", location_, page), 1, 0);
  grid->addWidget(location_, 1, 1);
  grid->addWidget(locationBrowse_, 1, 2);
  grid->setColumnStretch(1, 1);

  location_->setText(ToQString(text::ReduceDoubleSeparators(input_.initialLocation)));
  connect(name_, &QLineEdit::textEdited, this, &ProjectDialog::NameEdited);
  connect(location_, &QLineEdit::textChanged, this, &ProjectDialog::LocationChanged);
  connect(locationBrowse_, &QPushButton::clicked, this, &ProjectDialog::BrowseLocation);
  return PageWith(kNewPageHeader, grid, page);
}

QWidget* ProjectDialog::BuildOpenPage() {
  auto* page = new QWidget(this);
  recent_ = new QListWidget(page);
  path_ = new QLineEdit(page);
  openBrowse_ = BrowseButton(page);
  for (const OpenPageChoices::Item& item : input_.openChoices.recent) {
    auto* row = new QListWidgetItem(ToQString(item.name), recent_);
    row->setData(Qt::UserRole, ToQString(item.path));
    row->setToolTip(ToQString(item.path));
  }
  path_->setText(ToQString(input_.openChoices.initialPath));

  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(8);
  auto* listLabel = HelpLabel(kRecentProjectsLabel, u'r', "projectDialog.recent", recent_, page);
  grid->addWidget(listLabel, 0, 0, 1, 3);
  grid->addWidget(recent_, 1, 0, 1, 3);
  grid->addWidget(HelpLabel(kLoadFromFileLabel, u'i', "projectDialog.loadFrom", path_, page), 2, 0);
  grid->addWidget(path_, 2, 1);
  grid->addWidget(openBrowse_, 2, 2);
  grid->setColumnStretch(1, 1);
  recent_->setMinimumHeight(recent_->fontMetrics().height() * 6);

  connect(recent_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
    if (item) path_->setText(item->data(Qt::UserRole).toString());
  });
  connect(recent_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
    path_->setText(item->data(Qt::UserRole).toString());
    accept();
  });
  connect(openBrowse_, &QPushButton::clicked, this, &ProjectDialog::BrowseProjectFile);
  return PageWith(kLoadPageHeader, grid, page);
}

void ProjectDialog::RegisterFields(FieldRegistry& fields) {
  fields.Register(kProjectNameField, name_);
  fields.Register(kProjectLocationField, location_);
  fields.Register(kProjectOpenBrowseField, openBrowse_);
  fields.Register(kProjectDialogOkField, OkButton());
}

QPushButton* ProjectDialog::OkButton() const { return buttons_->button(QDialogButtonBox::Ok); }

bool ProjectDialog::OnLoadTab() const { return tabs_->currentWidget() == openPage_; }

void ProjectDialog::NameEdited(const QString& name) {
  location_->setText(
      ToQString(LocationAfterNameEdit(ToWString(location_->text()), ToWString(name))));
}

void ProjectDialog::LocationChanged(const QString& location) {
  const WString reduced = text::ReduceDoubleSeparators(ToWString(location));
  if (ToQString(reduced) == location) return;
  // The caret stays behind the character it was behind.
  const int caret = static_cast<int>(
      text::ReduceDoubleSeparators(ToWString(location.left(location_->cursorPosition()))).size());
  const QSignalBlocker blocker(location_);
  location_->setText(ToQString(reduced));
  location_->setCursorPosition(caret);
}

void ProjectDialog::BrowseLocation() {
  const QString folder = QFileDialog::getExistingDirectory(
      this, ToQString(kBaseDirectoryChooserText), location_->text());
  if (folder.isEmpty()) return;
  location_->setText(ToQString(
      LocationAfterBrowse(ToWString(QDir::toNativeSeparators(folder)), ToWString(name_->text()))));
}

void ProjectDialog::BrowseProjectFile() {
  const QString filter = ToQString(kProjectFileFilter);
  const QString file = QFileDialog::getOpenFileName(this, ToQString(kOpenProjectTitle),
                                                    path_->text(), filter);
  if (file.isEmpty()) return;
  path_->setText(QDir::toNativeSeparators(file));
  accept();
}

void ProjectDialog::accept() {
  result_.showLoadScreen = loadScreen_->isChecked();
  if (OnLoadTab()) {
    const auto choice = ConfirmOpenProject(ToWString(path_->text()), prompt_);
    if (!choice) return;
    result_.outcome = ProjectDialogResult::Outcome::Open;
    result_.opened = *choice;
  } else {
    const auto choice =
        ConfirmNewProject(ToWString(name_->text()), ToWString(location_->text()), prompt_);
    if (!choice) return;
    result_.outcome = ProjectDialogResult::Outcome::New;
    result_.created = *choice;
  }
  QDialog::accept();
}

void ProjectDialog::reject() {
  result_ = {};
  result_.showLoadScreen = loadScreen_->isChecked();
  QDialog::reject();
}

}  // namespace tidewell::app
