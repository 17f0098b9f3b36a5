#pragma once

#include "build/BuildSummaryPane.h"
#include "build/FileConfigurationPane.h"
#include "build/VersionConfigurationPane.h"

namespace tidewell {

// The three panes of the release page, always called in the same order:
// file configuration, version configuration, build summary.
class ReleasePanes {
 public:
  ReleasePanes(ProjectSettings& settings, Prompt& prompt)
      : file(settings, prompt), version(settings, prompt), summary(settings) {}

  void LoadFromSettings();
  // All three are asked, even after one failed; answers true when any of
  // them was invalid.
  bool ValidateAndStore(bool showBalloon);

  FileConfigurationPane file;
  VersionConfigurationPane version;
  BuildSummaryPane summary;
};

}  // namespace tidewell
