#pragma once

#include "text/WString.h"

namespace tidewell {

class ProjectSettings;

// Shown for a version that is not set.
inline const WString kNotSpecifiedText = u"<Not specified>";

// The release pane that sums up the build: the two versions, read-only. It
// has nothing to validate; its notes box is the front end's own.
class BuildSummaryPane {
 public:
  struct Fields {
    WString appVersion;     // "Application Version:"
    WString updateVersion;  // "Update Version: "
    bool operator==(const Fields&) const = default;
  };

  explicit BuildSummaryPane(const ProjectSettings& settings) : settings_(settings) {}

  void LoadFromSettings();
  // Always valid; stores nothing.
  bool ValidateAndStore(bool) { return false; }

  Fields fields;

 private:
  const ProjectSettings& settings_;
};

}  // namespace tidewell
