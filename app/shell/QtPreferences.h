#pragma once

#include <QByteArray>
#include <QSettings>
#include <memory>
#include <optional>

#include "project/Preferences.h"

namespace tidewell::app {

// The user's preferences over QSettings. On Windows the registry key
// HKEY_CURRENT_USER\SoftWare\Tidewell, numbers as 32-bit values and texts as
// strings. Elsewhere a settings file in the user's configuration folder
// (Tidewell/Tidewell.conf), where every value carries its type as a .reg file
// does ("dword:0000002a", "sz:text"), so that a number and a text stay apart.
class QtPreferences final : public Preferences {
 public:
  QtPreferences();
  // A settings file at a given place (the tests' own).
  explicit QtPreferences(const QString& iniFile);
  ~QtPreferences() override;

  std::optional<int32_t> ReadNumber(std::u16string_view group,
                                    std::u16string_view name) const override;
  std::optional<WString> ReadText(std::u16string_view group,
                                  std::u16string_view name) const override;
  bool WriteNumber(std::u16string_view group, std::u16string_view name, int32_t value) override;
  bool WriteText(std::u16string_view group, std::u16string_view name,
                 const WString& value) override;
  bool Remove(std::u16string_view group, std::u16string_view name) override;

  // Binary values (the window placement).
  std::optional<QByteArray> ReadBytes(std::u16string_view group, std::u16string_view name) const;
  bool WriteBytes(std::u16string_view group, std::u16string_view name, const QByteArray& value);

  // Whether the key exists at all: false at the first start on this account.
  bool KeyExists() const;
  // Writes what is pending to the store; false when the store refused.
  bool Flush();

 private:
  std::unique_ptr<QSettings> settings_;
  bool typed_;  // the native registry keeps value types itself
};

}  // namespace tidewell::app
