#include "build/ReleasePanes.h"

namespace tidewell {

void ReleasePanes::LoadFromSettings() {
  file.LoadFromSettings();
  version.LoadFromSettings();
  summary.LoadFromSettings();
}

bool ReleasePanes::ValidateAndStore(bool showBalloon) {
  const bool fileInvalid = file.ValidateAndStore(showBalloon);
  const bool versionInvalid = version.ValidateAndStore(showBalloon);
  const bool summaryInvalid = summary.ValidateAndStore(showBalloon);
  return fileInvalid || versionInvalid || summaryInvalid;
}

}  // namespace tidewell
