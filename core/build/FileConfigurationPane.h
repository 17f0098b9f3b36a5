#pragma once

#include "platform/Prompt.h"
#include "text/WString.h"

namespace tidewell {

class ProjectSettings;

inline const WString kClientExeEmptyMessage =
    u"This value cannot be empty. This is the actual executable that handles the updates!!";
inline const WString kClientExeForbiddenMessage =
    u"The client name must be a Windows file name: none of \\ / : * ? \" < > | or control "
    u"characters, and not a device name such as CON, NUL, COM1 or LPT1.";
inline const WString kClientXmlEmptyMessage =
    u"This value cannot be empty. It is the file you need to get updates to work!!";
inline const WString kCheckNowEmptyMessage =
    u"To provide a 'Check For Update Now' capability you must have an appropriate value to use "
    u"as a command-line paramter.";

inline const FieldId kClientExeField = "fileConfiguration.clientExe";
inline const FieldId kClientXmlField = "fileConfiguration.clientXML";
inline const FieldId kCheckNowField = "fileConfiguration.checkNow";

// A client name always ends in ".exe": cut before its first full stop, then
// ".exe" appended (Updater and Updater.EXE become Updater.exe, my.updater.exe
// becomes my.exe). An empty name stays empty.
WString NormaliseClientName(std::u16string_view name);

// The release pane with the file names: client executable, check-now tag and
// server update file. It keeps its own copies of the values; only a
// successful ValidateAndStore writes them into the settings.
class FileConfigurationPane {
 public:
  struct Fields {
    WString clientExe;
    WString checkNow;
    WString clientXml;
    bool operator==(const Fields&) const = default;
  };

  FileConfigurationPane(ProjectSettings& settings, Prompt& prompt)
      : settings_(settings), prompt_(prompt) {}

  void LoadFromSettings();
  // Answers true when a rule failed: the first failure is shown at its field
  // when `showBalloon` is set, and nothing is stored. The client name is
  // normalised in the fields either way.
  bool ValidateAndStore(bool showBalloon);

  Fields fields;  // what the front end shows and edits

 private:
  ProjectSettings& settings_;
  Prompt& prompt_;
};

}  // namespace tidewell
