#include "pages/behaviours/ClientBehavioursPageWidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "build/ClientBuilder.h"
#include "build/ToolFolder.h"
#include "dialogs/ClientIconsRequest.h"
#include "dialogs/ClientImages.h"
#include "dialogs/PicturePreview.h"
#include "dialogs/UserTextDialog.h"
#include "project/ProjectDocument.h"
#include "shell/QtText.h"
#include "toolkit/FieldRegistry.h"
#include "toolkit/HelpKey.h"
#include "toolkit/Mnemonic.h"
#include "toolkit/PageHeader.h"

namespace tidewell::app {

namespace {

template <size_t N>
QComboBox* ChoiceList(const std::array<std::u16string_view, N>& choices, QWidget* parent) {
  auto* box = new QComboBox(parent);
  for (std::u16string_view choice : choices) box->addItem(ToQString(WString(choice)));
  box->setCurrentIndex(kNoChoice);
  return box;
}

// The size of the pictures on the "Main", "Top" and "Icon" buttons.
constexpr QSize kThumbnailSize(40, 30);

QPushButton* GraphicsButton(const QString& text, const char* helpKey, QWidget* parent) {
  auto* button = new QPushButton(text, parent);
  SetHelpKey(button, helpKey);
  button->setIconSize(kThumbnailSize);
  return button;
}

// A picture on a button, whole and in its shape; none for a null picture.
void ShowOnButton(QPushButton* button, const QImage& picture) {
  button->setIcon(picture.isNull()
                      ? QIcon()
                      : QIcon(QPixmap::fromImage(picture.scaled(
                            kThumbnailSize, Qt::KeepAspectRatio, Qt::SmoothTransformation))));
}

}  // namespace

ClientBehavioursPageWidget::ClientBehavioursPageWidget(PageServices& services, QWidget* parent)
    : Page(parent), services_(services), toolFolder_(RunningToolFolder()) {
  messages_ = new QTreeWidget(this);
  messages_->setColumnCount(2);
  messages_->setHeaderLabels({QStringLiteral("Message"), QStringLiteral("Description")});
  messages_->setRootIsDecorated(false);
  messages_->setUniformRowHeights(true);
  messages_->setAllColumnsShowFocus(true);
  messages_->setSelectionMode(QAbstractItemView::SingleSelection);
  // Rows with room around their check boxes, which otherwise touch.
  const int rowHeight = std::max(messages_->fontMetrics().height(),
                                 style()->pixelMetric(QStyle::PM_IndicatorHeight)) + 6;
  for (const MessageRow& row : kMessageRows) {
    auto* item = new QTreeWidgetItem(messages_, {ToQString(WString(row.title)),
                                                 ToQString(WString(row.description))});
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(0, Qt::Unchecked);
    // On the last column, which stretches: its width does not count.
    item->setSizeHint(1, QSize(0, rowHeight));
  }
  messages_->header()->setStretchLastSection(true);
  messages_->resizeColumnToContents(0);
  messages_->setColumnWidth(0, messages_->columnWidth(0) + 24);
  // The six rows, no more.
  messages_->setFixedHeight(messages_->header()->sizeHint().height() +
                            6 * messages_->sizeHintForRow(0) + 2 * messages_->frameWidth() + 4);
  SetHelpKey(messages_, "clientBehaviours.messages");
  edit_ = new QPushButton(QStringLiteral("&Edit"), this);
  SetHelpKey(edit_, "clientBehaviours.edit");

  warnOnExit_ = new QCheckBox(WithMnemonic(ToQString(kWarnOnExitLabel), u'w'), this);
  allowErrors_ = new QCheckBox(WithMnemonic(ToQString(kAllowErrorsLabel), u'a'), this);
  restart_ = new QCheckBox(WithMnemonic(ToQString(kAutomaticRestartLabel), u'o'), this);
  SetHelpKey(warnOnExit_, "clientBehaviours.warnOnExit");
  SetHelpKey(allowErrors_, "clientBehaviours.allowErrors");
  SetHelpKey(restart_, "clientBehaviours.restart");
  updateType_ = ChoiceList(kUpdateTypes, this);
  frequency_ = ChoiceList(kFrequencyChoices, this);
  reprompt_ = ChoiceList(kRepromptChoices, this);
  SetHelpKey(updateType_, "clientBehaviours.updateType");
  SetHelpKey(frequency_, "clientBehaviours.frequency");
  SetHelpKey(reprompt_, "clientBehaviours.reprompt");
  main_ = GraphicsButton(QStringLiteral("&Main"), "clientBehaviours.main", this);
  top_ = GraphicsButton(QStringLiteral("&Top"), "clientBehaviours.top", this);
  icon_ = GraphicsButton(QStringLiteral("&Icon"), "clientBehaviours.icon", this);

  auto* listRow = new QHBoxLayout;
  listRow->addWidget(messages_, 1);
  auto* editColumn = new QVBoxLayout;
  editColumn->addWidget(edit_);
  editColumn->addStretch();
  listRow->addLayout(editColumn);

  auto* graphics = new QHBoxLayout;
  graphics->setSpacing(6);
  graphics->addWidget(main_);
  graphics->addWidget(top_);
  graphics->addWidget(icon_);
  graphics->addStretch();

  // Under the list: the drop-downs and the pictures, then the switches.
  auto* behaviour = new QGridLayout;
  behaviour->setColumnStretch(2, 1);
  behaviour->setHorizontalSpacing(12);
  auto addRow = [&](int row, const WString& label, char16_t mnemonic, QWidget* field,
                    QLayout* fields = nullptr) {
    auto* text = new QLabel(WithMnemonic(ToQString(label), mnemonic), this);
    text->setBuddy(field);
    behaviour->addWidget(text, row, 0);
    if (fields) behaviour->addLayout(fields, row, 1);
    else behaviour->addWidget(field, row, 1);
  };
  addRow(0, kUpdateTypeLabel, u'u', updateType_);
  addRow(1, kFrequencyLabel, u'c', frequency_);
  addRow(2, kRepromptLabel, u'p', reprompt_);
  addRow(3, kGraphicsLabel, u'g', main_, graphics);
  auto* switches = new QVBoxLayout;
  switches->addWidget(warnOnExit_);
  switches->addWidget(allowErrors_);
  switches->addWidget(restart_);
  switches->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new PageHeader(ToQString(kClientBehavioursHeader),
                                     ToQString(kClientBehavioursSubHeader), this));
  layout->addSpacing(6);
  layout->addLayout(listRow);
  layout->addSpacing(10);
  layout->addLayout(behaviour);
  layout->addSpacing(6);
  layout->addLayout(switches);
  layout->addStretch();

  // Reading order: the list, the drop-downs and pictures, then the switches.
  setTabOrder(messages_, edit_);
  setTabOrder(edit_, updateType_);
  setTabOrder(updateType_, frequency_);
  setTabOrder(frequency_, reprompt_);
  setTabOrder(reprompt_, main_);
  setTabOrder(main_, top_);
  setTabOrder(top_, icon_);
  setTabOrder(icon_, warnOnExit_);
  setTabOrder(warnOnExit_, allowErrors_);
  setTabOrder(allowErrors_, restart_);

  connect(edit_, &QPushButton::clicked, this, &ClientBehavioursPageWidget::EditMessageText);
  connect(messages_, &QTreeWidget::itemDoubleClicked, this,
          &ClientBehavioursPageWidget::EditMessageText);
  connect(main_, &QPushButton::clicked, this, [this] { ChoosePicture(ClientPicture::Main); });
  connect(top_, &QPushButton::clicked, this, [this] { ChoosePicture(ClientPicture::Top); });
  connect(icon_, &QPushButton::clicked, this, &ClientBehavioursPageWidget::ChooseIcons);

  services_.fields.Register(kMessageListField, messages_);
  services_.fields.Register(kMainPictureButtonField, main_);
  services_.fields.Register(kTopPictureButtonField, top_);
  services_.fields.Register(kIconButtonField, icon_);
}

ClientBehavioursPageWidget::~ClientBehavioursPageWidget() = default;

void ClientBehavioursPageWidget::BindDocument(ProjectDocument& document) {
  document_ = &document;
  page_ = std::make_unique<ClientBehavioursPage>(document.settings);
}

void ClientBehavioursPageWidget::showEvent(QShowEvent* event) {
  Page::showEvent(event);
  ShowClientPictures();
}

void ClientBehavioursPageWidget::ShowClientPictures() {
  const ClientImages images =
      document_ ? ReadClientImages(document_->ClientExecutablePath()) : ClientImages{};
  ShowOnButton(main_, images.main);
  ShowOnButton(top_, images.top);
  ShowOnButton(icon_, images.largeIcon);
}

ClientBehavioursPage::Fields ClientBehavioursPageWidget::Collect() const {
  ClientBehavioursPage::Fields fields;
  fields.warnOnExit = warnOnExit_->isChecked();
  fields.allowDisplayOfErrors = allowErrors_->isChecked();
  fields.automaticRestart = restart_->isChecked();
  fields.updateType = updateType_->currentIndex();
  fields.frequency = frequency_->currentIndex();
  fields.reprompt = reprompt_->currentIndex();
  for (size_t row = 0; row < kMessageRows.size(); ++row)
    fields.showMessage[row] =
        messages_->topLevelItem(static_cast<int>(row))->checkState(0) == Qt::Checked;
  return fields;
}

void ClientBehavioursPageWidget::Show(const ClientBehavioursPage::Fields& fields) {
  warnOnExit_->setChecked(fields.warnOnExit);
  allowErrors_->setChecked(fields.allowDisplayOfErrors);
  restart_->setChecked(fields.automaticRestart);
  updateType_->setCurrentIndex(fields.updateType);
  frequency_->setCurrentIndex(fields.frequency);
  reprompt_->setCurrentIndex(fields.reprompt);
  for (size_t row = 0; row < kMessageRows.size(); ++row)
    messages_->topLevelItem(static_cast<int>(row))
        ->setCheckState(0, fields.showMessage[row] ? Qt::Checked : Qt::Unchecked);
}

void ClientBehavioursPageWidget::LoadFromSettings() {
  if (!page_) return;
  // An update type the list does not hold leaves the shown choice as it
  // was, also when the document was replaced since.
  page_->fields = Collect();
  page_->LoadFromSettings();
  Show(page_->fields);
  ShowClientPictures();
}

bool ClientBehavioursPageWidget::ValidateAndStore(bool showBalloon) {
  if (!page_) return false;
  page_->fields = Collect();
  return page_->ValidateAndStore(showBalloon);
}

void ClientBehavioursPageWidget::EditMessageText() {
  if (!document_) return;
  const QList<QTreeWidgetItem*> selected = messages_->selectedItems();
  std::optional<size_t> row;
  if (!selected.isEmpty())
    row = static_cast<size_t>(messages_->indexOfTopLevelItem(selected.first()));
  row = SelectedMessageRow(row, services_.prompt);
  if (!row) return;
  const MessageRow& message = kMessageRows[*row];
  ProjectSettings& settings = document_->settings;
  UserTextDialog dialog(
      {ToQString(WString(message.dialogTitle)), ToQString(WString(message.prompt)),
       settings.GetSetting(message.key),
       [&settings, key = message.key](const WString& text) {
         return ValidateAndStoreMessageText(settings, key, text) == MessageTextResult::Stored;
       },
       [this] { return document_ ? document_->variables.VariableNames() : std::vector<WString>{}; },
       [this] {
         if (services_.showVariables) services_.showVariables();
       }},
      services_.window ? services_.window : this);
  emit UserTextOpened(&dialog);
  dialog.exec();
}

void ClientBehavioursPageWidget::ChoosePicture(ClientPicture picture) {
  if (!document_) return;
  const FieldId& button =
      picture == ClientPicture::Main ? kMainPictureButtonField : kTopPictureButtonField;
  if (!CheckProjectForGraphics(*document_, button, services_.prompt)) return;
  const QString path = ChooseBitmapFile(services_.window ? services_.window : this,
                                        ToQString(PictureStartFolder(toolFolder_, picture)));
  if (!path.isEmpty()) WritePicture(picture, path);
}

void ClientBehavioursPageWidget::WritePicture(ClientPicture picture, const QString& bitmapPath) {
  if (!document_) return;
  ClientBuilder builder(services_.prompt, toolFolder_);
  WriteChosenPicture(*document_, builder, picture, ToWString(bitmapPath));
  ShowClientPictures();
}

void ClientBehavioursPageWidget::ChooseIcons() {
  if (!document_ || !CheckProjectForGraphics(*document_, kIconButtonField, services_.prompt))
    return;
  ClientBuilder builder(services_.prompt, toolFolder_);
  RunIconSelection(services_, *document_, builder, {});
  ShowClientPictures();
}

}  // namespace tidewell::app
