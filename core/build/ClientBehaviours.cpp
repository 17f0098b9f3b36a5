#include "build/ClientBehaviours.h"


#include "text/Text.h"

namespace tidewell {

namespace {

const WString kDoubleClickToEdit = u"Double click on item to change the message text.";

int PositionOf(int value, size_t count) {
  return value >= 0 && static_cast<size_t>(value) < count ? value : kNoChoice;
}

WString PositionText(int position) { return text::FormatDecimal(position < 0 ? -1 : position); }

}  // namespace

void ClientBehavioursPage::LoadFromSettings() {
  fields.allowDisplayOfErrors = settings_.GetFlag(BehaviourFlag::AllowDisplayOfErrors);
  fields.warnOnExit = settings_.GetFlag(BehaviourFlag::WarnOnExit);
  fields.automaticRestart = settings_.GetFlag(BehaviourFlag::AutomaticRestart);

  const WString type = settings_.GetSetting(SettingKey::UpdateType);
  for (size_t i = 0; i < kUpdateTypes.size(); ++i)
    if (text::EqualsNoCase(kUpdateTypes[i], type)) fields.updateType = static_cast<int>(i);

  fields.frequency = PositionOf(text::ParseDecimal(settings_.GetSetting(SettingKey::Frequency)),
                                kFrequencyChoices.size());
  fields.reprompt = PositionOf(text::ParseDecimal(settings_.GetSetting(SettingKey::Reprompt)),
                               kRepromptChoices.size());
  for (size_t row = 0; row < kMessageRows.size(); ++row)
    fields.showMessage[row] = settings_.GetFlag(kMessageRows[row].shown);
}

bool ClientBehavioursPage::ValidateAndStore(bool) {
  settings_.SetFlag(BehaviourFlag::AllowDisplayOfErrors, fields.allowDisplayOfErrors);
  settings_.SetFlag(BehaviourFlag::WarnOnExit, fields.warnOnExit);
  settings_.SetFlag(BehaviourFlag::AutomaticRestart, fields.automaticRestart);
  const int type = PositionOf(fields.updateType, kUpdateTypes.size());
  settings_.SetSetting(SettingKey::UpdateType,
                       type == kNoChoice ? WString() : WString(kUpdateTypes[static_cast<size_t>(type)]));
  settings_.SetSetting(SettingKey::Frequency,
                       PositionText(PositionOf(fields.frequency, kFrequencyChoices.size())));
  settings_.SetSetting(SettingKey::Reprompt,
                       PositionText(PositionOf(fields.reprompt, kRepromptChoices.size())));
  for (size_t row = 0; row < kMessageRows.size(); ++row)
    settings_.SetFlag(kMessageRows[row].shown, fields.showMessage[row]);
  return false;
}

std::optional<size_t> SelectedMessageRow(std::optional<size_t> row, Prompt& prompt) {
  if (row && *row < kMessageRows.size()) return row;
  prompt.ShowBalloon(kMessageListField, kInvalidParametersCaption, kDoubleClickToEdit,
                     MessageIcon::Error);
  return std::nullopt;
}

std::optional<size_t> MessageRowOfKey(SettingKey key) {
  for (size_t row = 0; row < kMessageRows.size(); ++row)
    if (kMessageRows[row].key == key) return row;
  return std::nullopt;
}

MessageTextResult ValidateAndStoreMessageText(ProjectSettings& settings, SettingKey key,
                                              const WString& text) {
  if (!MessageRowOfKey(key)) return MessageTextResult::NotAMessage;
  if (text.size() > kMessageTextLimit) return MessageTextResult::TooLong;
  settings.SetSetting(key, text);
  return MessageTextResult::Stored;
}

}  // namespace tidewell
