#include "build/ProjectPages.h"

namespace tidewell {

void ProjectPages::LoadPages() {
  release.LoadFromSettings();
  client.LoadFromSettings();
  behaviours.LoadFromSettings();
}

void ProjectPages::CollectPages() {
  release.ValidateAndStore(false);
  client.ValidateAndStore(false);
  behaviours.ValidateAndStore(false);
}

}  // namespace tidewell
