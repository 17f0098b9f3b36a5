#pragma once

#include <memory>

#include "build/ClientPage.h"
#include "dialogs/TextFields.h"
#include "shell/Page.h"
#include "shell/PageServices.h"

class QLineEdit;
class QPushButton;

namespace tidewell::app {

class VariablesButton;

// "Configure": the server addresses and the application's names.
class ClientPageWidget : public Page {
  Q_OBJECT

 public:
  ClientPageWidget(PageServices& services, QWidget* parent);
  ~ClientPageWidget() override;

  void BindDocument(ProjectDocument& document) override;
  void LoadFromSettings() override;
  bool ValidateAndStore(bool showBalloon) override;

  // The main executable was chosen ("..." after its file dialog).
  void ChooseMainExecutable(const QString& path);

  QLineEdit* RequestXmlField() const { return fields_[0]; }
  QLineEdit* FilesLocationField() const { return fields_[1]; }
  QLineEdit* CompanyNameField() const { return fields_[2]; }
  QLineEdit* AppTitleField() const { return fields_[3]; }
  QLineEdit* ExecutableField() const { return fields_[4]; }
  VariablesButton* Variables() const { return variables_; }
  QPushButton* BrowseButton() const { return browse_; }

 private:
  void BrowseMainExecutable();
  ClientPage::Fields Collect() const;

  PageServices& services_;
  ProjectDocument* document_ = nullptr;
  std::unique_ptr<ClientPage> page_;
  std::array<QLineEdit*, 5> fields_{};
  std::array<ShownText, 5> shown_{};
  VariablesButton* variables_ = nullptr;
  QPushButton* browse_ = nullptr;
};

}  // namespace tidewell::app
