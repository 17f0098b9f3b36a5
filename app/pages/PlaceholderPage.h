#pragma once

#include "shell/Page.h"

namespace tidewell::app {

// A page that shows only its header; it stands where a page is still to come.
class PlaceholderPage final : public Page {
  Q_OBJECT

 public:
  PlaceholderPage(const QString& header, QWidget* parent = nullptr);

  void BindDocument(ProjectDocument&) override {}
  void LoadFromSettings() override {}
  bool ValidateAndStore(bool) override { return false; }
};

}  // namespace tidewell::app
