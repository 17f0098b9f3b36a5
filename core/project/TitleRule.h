#pragma once

#include "text/WString.h"

namespace tidewell {

class ProjectSettings;

inline const WString kToolTitle = u"Tidewell";

// "Tidewell - " followed by the project name, or "Tidewell" when no project
// exists yet.
WString WindowTitle(const ProjectSettings& settings);

}  // namespace tidewell
