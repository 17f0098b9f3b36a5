#include "ClientVariables.h"

#include "Text.h"
#include "VariableReferences.h"

namespace tidewatch::engine {

namespace {

constexpr std::uint32_t kRegSz = 1, kRegExpandSz = 2, kRegDword = 4;

std::optional<std::u16string> Resolve(std::u16string_view reference, const VariableValues& values) {
  if (reference == u"Login") return values.login;
  if (reference == u"Platform") return values.platform;
  if (!reference.starts_with(u"REG ")) return std::nullopt;
  const std::u16string_view body = reference.substr(4);
  const size_t bar = body.rfind(u'|');
  const std::u16string_view path = body.substr(0, bar);
  const size_t cut = path.rfind(u'\\');
  if (bar == std::u16string_view::npos || cut == std::u16string_view::npos) return std::nullopt;
  if (!values.registry) return std::u16string();
  const auto value = values.registry->ReadValue(std::u16string(path.substr(0, cut)), std::u16string(path.substr(cut + 1)));
  return value ? RegistryValueText(*value) : std::u16string();
}

}  // namespace

std::u16string RegistryValueText(const RegistryValue& value) {
  if (value.type == kRegDword && value.data.size() >= 4) {
    const std::uint32_t n = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                            (static_cast<std::uint32_t>(value.data[3]) << 24);
    return ToU16(std::to_string(n));
  }
  if (value.type == kRegSz || value.type == kRegExpandSz) {
    std::u16string text;
    for (size_t i = 0; i + 1 < value.data.size(); i += 2)
      text += static_cast<char16_t>(value.data[i] | (value.data[i + 1] << 8));
    while (!text.empty() && text.back() == u'\0') text.pop_back();
    return text;
  }
  return {};
}

std::u16string FillClientVariables(std::u16string_view text, const VariableValues& values,
                                   const std::function<std::u16string(std::u16string_view)>& escape) {
  return FillReferences(text, [&](std::u16string_view name) -> std::optional<std::u16string> {
    auto value = Resolve(name, values);
    if (value && escape) return escape(*value);
    return value;
  });
}

}  // namespace tidewatch::engine
