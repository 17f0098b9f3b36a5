#pragma once

#include <QCheckBox>
#include <QComboBox>

#include "files/FileProperties.h"
#include "pages/files/PropertySheet.h"

namespace tidewell {
class Prompt;
}

namespace tidewell::app {

class OsTargetsPage;

// "File update properties": the target systems on "General", the update
// condition and "Unzip this file" on "Actions". The sheet refuses, while it
// is open, "Version based" for a file without version information (back to
// "Unconditional") and "Unzip this file" for a file that is no zip archive
// (unchecked); the core says why. OK and Cancel only.
class FilePropertiesSheet final : public PropertySheet {
  Q_OBJECT

 public:
  FilePropertiesSheet(const FileProperties& properties, const FilePropertiesProbe& probe,
                      Prompt& prompt, QWidget* parent = nullptr);

  FileProperties Chosen() const;

  OsTargetsPage* General() const { return general_; }
  QComboBox* Condition() const { return condition_; }
  QCheckBox* Unzip() const { return unzip_; }

 private:
  void ConditionChosen(int index);
  void UnzipToggled(bool checked);

  FilePropertiesProbe probe_;
  Prompt& prompt_;
  OsTargetsPage* general_;
  QComboBox* condition_;
  QCheckBox* unzip_;
};

}  // namespace tidewell::app
