#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "project/ProjectSettings.h"
#include "text/WString.h"

namespace tidewell {

class Prompt;

// One KEY=VALUE of a settings change made without the pages:
// - a setting by its key name (ProjName, AppTitle, ClientExe, ...; the exact
//   spelling, or the same letters in another case), stored as given;
// - one behaviour flag: "flag." and its name (flag.WarnOnExit) or "Flag" and
//   its number 0 to 14 (Flag6), with on/off, true/false, yes/no or 1/0;
// - all fifteen flags at once: Settings=MASK, the decimal mask of the
//   project file.
struct SettingAssignment {
  enum class Kind { Setting, Flag, FlagMask };
  Kind kind = Kind::Setting;
  SettingKey key = SettingKey::ProjName;  // Kind::Setting
  int flag = 0;                           // Kind::Flag
  bool on = false;                        // Kind::Flag
  WString value;                          // Kind::Setting and Kind::FlagMask
};

// Reads one KEY=VALUE; nullopt with a reason in `error` for an unknown key, a
// flag value that is not on or off, or an empty project name (a project
// without a name cannot be saved).
std::optional<SettingAssignment> ParseSettingAssignment(std::u16string_view text, WString* error);

// The spellings of the flags, for help texts: "flag.ShowWelcome (Flag5)", ...
std::vector<WString> FlagSpellings();

// Applies the assignments all together or not at all. The release settings
// (ClientExe, CheckNow, ClientXML, AppVersion, UpdateVersion) go through
// their release pane's rules, with the other values of that pane as they
// are: a refusal is shown as the pane's balloon, nothing is stored and the
// answer is false. The client behaviours page's settings follow its rules:
// a message text holds at most 1024 characters; UpdateType takes one of its
// labels (in any case, stored as listed); Frequency and Reprompt take a label
// or a position and store the position. Every other assignment is stored as
// given. A client name is stored normalised (Updater becomes Updater.exe).
bool ApplySettingAssignments(ProjectSettings& settings,
                             const std::vector<SettingAssignment>& assignments, Prompt& prompt);

}  // namespace tidewell
