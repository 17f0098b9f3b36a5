#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <utility>
#include <variant>

#include "text/WString.h"

namespace tidewell {

// The per-user preferences of the tool: the registry key
// HKEY_CURRENT_USER\SoftWare\Tidewell on Windows, a settings file elsewhere.
// A value is addressed by its group (empty for the key itself, or a subkey
// such as "Recent Document List") and its name. Numbers and texts are kept
// apart, as registry value types are: a number read as text is absent.
class Preferences {
 public:
  virtual ~Preferences() = default;

  virtual std::optional<int32_t> ReadNumber(std::u16string_view group,
                                            std::u16string_view name) const = 0;
  virtual std::optional<WString> ReadText(std::u16string_view group,
                                          std::u16string_view name) const = 0;
  // False when the store refuses the write.
  virtual bool WriteNumber(std::u16string_view group, std::u16string_view name, int32_t value) = 0;
  virtual bool WriteText(std::u16string_view group, std::u16string_view name,
                         const WString& value) = 0;
  // Removes a value; true also when there was none.
  virtual bool Remove(std::u16string_view group, std::u16string_view name) = 0;
};

// The group of the recent-projects values.
inline constexpr std::u16string_view kRecentDocumentGroup = u"Recent Document List";

// Preferences held in memory: for the command line, which keeps no
// preferences between runs, and for tests.
class MemoryPreferences final : public Preferences {
 public:
  std::optional<int32_t> ReadNumber(std::u16string_view group,
                                    std::u16string_view name) const override;
  std::optional<WString> ReadText(std::u16string_view group,
                                  std::u16string_view name) const override;
  bool WriteNumber(std::u16string_view group, std::u16string_view name, int32_t value) override;
  bool WriteText(std::u16string_view group, std::u16string_view name,
                 const WString& value) override;
  bool Remove(std::u16string_view group, std::u16string_view name) override;

  // How many values are stored, over all groups.
  size_t Size() const { return values_.size(); }

 private:
  using Key = std::pair<WString, WString>;
  std::map<Key, std::variant<int32_t, WString>> values_;
};

}  // namespace tidewell
