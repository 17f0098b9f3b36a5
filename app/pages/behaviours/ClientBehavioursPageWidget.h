#pragma once

#include <memory>

#include "build/ClientBehaviours.h"
#include "build/ClientPicture.h"
#include "shell/Page.h"
#include "shell/PageServices.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QTreeWidget;

namespace tidewell::app {

// "Client": the client's messages with their switches, its behaviour, and
// its pictures and icons.
class ClientBehavioursPageWidget : public Page {
  Q_OBJECT

 public:
  ClientBehavioursPageWidget(PageServices& services, QWidget* parent);
  ~ClientBehavioursPageWidget() override;

  void BindDocument(ProjectDocument& document) override;
  void LoadFromSettings() override;
  bool ValidateAndStore(bool showBalloon) override;

  // Where the client stub and the Graphics folders are (the tool's folder
  // unless a test says otherwise).
  void SetToolFolder(const WString& folder) { toolFolder_ = folder; }

  // "Edit" and a double click: the selected row's text.
  void EditMessageText();
  // "Main" and "Top" after the project check, given the chosen file.
  void WritePicture(ClientPicture picture, const QString& bitmapPath);
  // "Icon".
  void ChooseIcons();

  QTreeWidget* MessageList() const { return messages_; }
  QPushButton* EditButton() const { return edit_; }
  QCheckBox* WarnOnExitBox() const { return warnOnExit_; }
  QCheckBox* AllowErrorsBox() const { return allowErrors_; }
  QCheckBox* AutomaticRestartBox() const { return restart_; }
  QComboBox* UpdateTypeList() const { return updateType_; }
  QComboBox* FrequencyList() const { return frequency_; }
  QComboBox* RepromptList() const { return reprompt_; }
  QPushButton* MainButton() const { return main_; }
  QPushButton* TopButton() const { return top_; }
  QPushButton* IconButton() const { return icon_; }

 signals:
  // A user-text dialog opened (tests answer it).
  void UserTextOpened(QDialog* dialog);

 protected:
  // The client may have changed since (a build, icons from the main
  // executable): its pictures are read again.
  void showEvent(QShowEvent* event) override;

 private:
  void ChoosePicture(ClientPicture picture);
  // The client's pictures and icon on their buttons, as the client has them.
  void ShowClientPictures();
  ClientBehavioursPage::Fields Collect() const;
  void Show(const ClientBehavioursPage::Fields& fields);

  PageServices& services_;
  ProjectDocument* document_ = nullptr;
  std::unique_ptr<ClientBehavioursPage> page_;
  WString toolFolder_;
  QTreeWidget* messages_;
  QPushButton* edit_;
  QCheckBox* warnOnExit_;
  QCheckBox* allowErrors_;
  QCheckBox* restart_;
  QComboBox* updateType_;
  QComboBox* frequency_;
  QComboBox* reprompt_;
  QPushButton* main_;
  QPushButton* top_;
  QPushButton* icon_;
};

}  // namespace tidewell::app
