#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "signing/SignatureFile.h"
#include "text/WString.h"

namespace tidewell {

class ProjectSettings;
class VariableList;

// The resources of the update client that the tool writes, all under one
// language, English (Australia).
inline constexpr uint16_t kClientResourceLanguage = 0x0C09;
inline constexpr uint16_t kClientStringBlock = 1;  // string ids 0 to 15
inline constexpr uint16_t kMainPictureId = 208;
inline constexpr uint16_t kTopPictureId = 205;
inline constexpr uint16_t kLargeIconId = 1;  // 32 x 32
inline constexpr uint16_t kSmallIconId = 2;  // 16 x 16

inline constexpr size_t kClientStringCount = 16;

// The sixteen client strings, by index.
enum class ClientString : size_t {
  Executable = 1,
  HTTPLocationXML = 2,
  HTTPLocationFiles = 3,
  AppTitle = 4,
  CompanyName = 5,
  DisplayErrors = 7,
  CheckSchedule = 8,
  WarnOnExit = 9,
  AppVersion = 10,
  CheckNow = 11,
};

// The client's settings as it reads them from string-table block 1. Slots
// 0, 6 and 12 to 15 stay empty.
class ClientStringTable {
 public:
  // The strings from the current settings, each as GetSetting returns it
  // (line breaks as CR LF); the XML request address with the user variables
  // rewritten.
  static ClientStringTable FromSettings(const ProjectSettings& settings,
                                        const VariableList& variables);

  const WString& Get(size_t index) const { return strings_.at(index); }
  const WString& Get(ClientString which) const { return Get(static_cast<size_t>(which)); }
  void Set(size_t index, WString value) { strings_.at(index) = std::move(value); }

  // The resource bytes: each string as a 16-bit little-endian count of UTF-16
  // code units followed by exactly those code units, little-endian, with no
  // terminator and no padding. nullopt when a string is longer than a count
  // can say (65535 code units): cutting it would give the client a wrong
  // address or name.
  std::optional<std::string> Encode() const;

 private:
  std::array<WString, kClientStringCount> strings_;
};

// The check schedule, "%d %d": with a reprompt other than 0 the numbers 1 and
// the reprompt; otherwise the frequency plus one, and 0. Both texts are read
// as the C library reads a decimal integer.
WString CheckSchedule(std::u16string_view frequency, std::u16string_view reprompt);

// The product a signature file names: the company name and the application
// title as the client's strings 5 and 4 hold them, in UTF-8.
signing::SignedProduct SignedProductOf(const ProjectSettings& settings);

}  // namespace tidewell
