#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "text/WString.h"

namespace tidewell {

// The environment variable that names a signing key for build pipelines.
inline constexpr char kSigningKeyVariable[] = "TIDEWELL_SIGNING_KEY";

// The user's configuration folder: %APPDATA% on Windows; elsewhere
// $XDG_CONFIG_HOME, or ~/.config. Empty when none can be found.
std::filesystem::path UserConfigurationFolder();

// Where the signing key of a project is kept: <configuration>/Tidewell/keys/
// <project name>.key, the name with every character but letters, digits,
// '-', '_', blanks and inner dots written as %XX (its UTF-8 bytes), so that
// each project name has a file of its own. Never in the project folder, which
// publishers copy to their servers. Empty without a configuration folder.
std::filesystem::path ProjectKeyPath(const WString& projectName);

// The key file a build uses instead of the project's: `explicitFile` when
// given (--key), else the environment variable's value when set and not
// empty; nullopt for the project's own key.
std::optional<std::filesystem::path> PipelineKeyPath(const WString& explicitFile);

}  // namespace tidewell
