#pragma once

#include <string>

#include "text/WString.h"

namespace tidewell {

class Preferences;

// The command that signs a project's client, kept per project in the user's
// preferences (never in the project file, which is shared and published):
// group "Sign Commands", named by the SHA-256 of the project file's full
// path, so that any path makes a plain value name.
inline constexpr std::u16string_view kSignCommandGroup = u"Sign Commands";

std::string ReadSignCommand(const Preferences& preferences, const WString& projectFile);
// An empty (or blank) command removes the value. False when the store refuses.
bool WriteSignCommand(Preferences& preferences, const WString& projectFile,
                      const std::string& command);

}  // namespace tidewell
