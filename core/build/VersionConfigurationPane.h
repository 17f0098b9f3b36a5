#pragma once

#include "platform/Prompt.h"
#include "text/WString.h"

namespace tidewell {

class ProjectSettings;

inline const WString kVersionFormatMessage =
    u"The value should be of the format 'a.b', such as version '1.0'";
inline const WString kVersionOrderMessage =
    u"The update version must be greater than the application version. Try again.";

inline const FieldId kAppVersionField = "versionConfiguration.appVersion";
inline const FieldId kUpdateVersionField = "versionConfiguration.updateVersion";

// The release pane with the application version and the update version. The
// versions are kept exactly as typed; their numeric values (VersionValue)
// decide the rules. Empty versions pass here: the build commands require
// them where they are needed.
class VersionConfigurationPane {
 public:
  struct Fields {
    WString appVersion;
    WString updateVersion;
    bool operator==(const Fields&) const = default;
  };

  VersionConfigurationPane(ProjectSettings& settings, Prompt& prompt)
      : settings_(settings), prompt_(prompt) {}

  void LoadFromSettings();
  // Answers true when a rule failed (shown at its field when `showBalloon`
  // is set; nothing stored): an update version whose value is 0, then an
  // application version whose value is 0, then an update version that is not
  // greater than the application version.
  bool ValidateAndStore(bool showBalloon);

  Fields fields;

 private:
  ProjectSettings& settings_;
  Prompt& prompt_;
};

}  // namespace tidewell
