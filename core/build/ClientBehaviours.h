#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/Prompt.h"
#include "project/ProjectSettings.h"
#include "text/WString.h"

namespace tidewell {

// One row of the client's message list: its two columns, the title and
// prompt of its text dialog, where its text is kept and the flag that shows it.
struct MessageRow {
  std::u16string_view title;
  std::u16string_view description;
  std::u16string_view dialogTitle;
  std::u16string_view prompt;
  SettingKey key;
  BehaviourFlag shown;
};

inline constexpr std::array<MessageRow, 6> kMessageRows = {{
    {u"Welcome page", u"Introductory text when update is available", u"Welcome Message",
     u"Enter an introductory message to display when update is available:", SettingKey::Welcome,
     BehaviourFlag::ShowWelcome},
    {u"Reason for update", u"Description of why update is needed (in scrollable box)",
     u"Reason for Update",
     u"Specify the reason for this update, which appears in a scrollable text box:",
     SettingKey::Reason, BehaviourFlag::ShowReason},
    {u"Terms & conditions", u"A list of condition to which client must agree",
     u"Terms and Conditions", u"Enter text for the Terms & Conditions:", SettingKey::License,
     BehaviourFlag::ShowLicense},
    {u"Installation complete", u"Final page of installation, success message",
     u"Installation Complete Message", u"Enter a message to display when installation is complete:",
     SettingKey::InstallComplete, BehaviourFlag::ShowInstallComplete},
    {u"Update not needed", u"General information if no update is required",
     u"Update Not Needed Message", u"Enter the message to show when an update is not needed:",
     SettingKey::UpdateNotNeeded, BehaviourFlag::ShowUpdateNotNeeded},
    {u"Silent update completed", u"Display message after update is finished (silent mode only)",
     u"Silent Update Completed", u"Enter a message to display after a silent update is completed:",
     SettingKey::SilentFinished, BehaviourFlag::ShowSilentFinished},
}};

// The drop-down lists; UpdateType stores the text, Frequency and Reprompt the
// position ("%d").
inline constexpr std::array<std::u16string_view, 3> kUpdateTypes = {u"Normal", u"Silent",
                                                                    u"Critical"};
inline constexpr std::array<std::u16string_view, 5> kFrequencyChoices = {
    u"Application start", u"Every 2nd start", u"Every 3rd start", u"Every 4th start",
    u"Every 5th start"};
inline constexpr std::array<std::u16string_view, 2> kRepromptChoices = {u"Always reprompt",
                                                                        u"Wait for next version"};
// A list with no entry selected.
inline constexpr int kNoChoice = -1;

// Texts of the page and its text dialog.
inline const WString kClientBehavioursHeader = u"Client behaviours";
inline const WString kClientBehavioursSubHeader =
    u"Set the client messages and behaviours when an update is available for deployment";
inline const WString kUpdateTypeLabel = u"Update Type:";
inline const WString kFrequencyLabel = u"Check for update:";
inline const WString kRepromptLabel = u"Reprompt cancelled update:";
inline const WString kGraphicsLabel = u"Graphics:";
inline const WString kWarnOnExitLabel = u"Warn on exit";
inline const WString kAllowErrorsLabel = u"Allow display of errors";
inline const WString kAutomaticRestartLabel = u"Automatic application restart";
inline const WString kUserTextDialogTitle = u"User Text";

inline const FieldId kMessageListField = "clientBehaviours.messages";

// A message text holds at most this many characters.
inline constexpr size_t kMessageTextLimit = 1024;
// Said by the command line when a text is too long (the dialog only beeps).
inline const WString kMessageTextTooLongMessage =
    u"A message text holds at most 1024 characters.";

// The client behaviours page: what it shows, and how it is exchanged with
// the settings. No value is refused.
class ClientBehavioursPage {
 public:
  struct Fields {
    bool warnOnExit = false;
    bool allowDisplayOfErrors = false;
    bool automaticRestart = false;
    int updateType = kNoChoice;  // position in kUpdateTypes
    int frequency = kNoChoice;   // position in kFrequencyChoices
    int reprompt = kNoChoice;    // position in kRepromptChoices
    std::array<bool, kMessageRows.size()> showMessage{};  // by row
    bool operator==(const Fields&) const = default;
  };

  explicit ClientBehavioursPage(ProjectSettings& settings) : settings_(settings) {}

  // The update type is looked up without regard to case; one that is not in
  // the list leaves the selection as it was. A frequency or reprompt position
  // outside its list selects nothing.
  void LoadFromSettings();
  // Stores every field: no selection stores an empty update type, and "-1"
  // for frequency and reprompt. Answers false: nothing is ever invalid here.
  bool ValidateAndStore(bool showBalloon);

  Fields fields;

 private:
  ProjectSettings& settings_;
};

// "Edit" with no row selected: the balloon at the list, and none.
std::optional<size_t> SelectedMessageRow(std::optional<size_t> row, Prompt& prompt);

// The row whose text is kept under `key`, if any.
std::optional<size_t> MessageRowOfKey(SettingKey key);

enum class MessageTextResult { Stored, TooLong, NotAMessage };
// OK in the text dialog: a text of at most 1024 characters is stored under
// its row's key at once (the row's check box is not changed); a longer one
// is refused and nothing changes. A key that is not a message key is
// refused too.
MessageTextResult ValidateAndStoreMessageText(ProjectSettings& settings, SettingKey key,
                                              const WString& text);

}  // namespace tidewell
