#include "pe/ResourceId.h"

#include <algorithm>
#include <utility>

#include "text/Text.h"

namespace tidewell::pe {

namespace {

// Upper-casing as resource names are compared: ASCII and Latin-1 letters.
char16_t FoldUpper(char16_t c) {
  if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 0x20);
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 0x20);
  return c;
}

int CompareUpper(std::u16string_view a, std::u16string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const char16_t x = FoldUpper(a[i]), y = FoldUpper(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return 0;
}

}  // namespace

ResourceId ResourceId::Integer(uint16_t id) {
  ResourceId r;
  r.id_ = id;
  return r;
}

ResourceId ResourceId::Named(WString name) {
  return Named(std::make_shared<const WString>(std::move(name)));
}

ResourceId ResourceId::Named(std::shared_ptr<const WString> name) {
  ResourceId r;
  r.isInteger_ = false;
  r.name_ = name ? std::move(name) : std::make_shared<const WString>();
  return r;
}

const WString& ResourceId::Name() const {
  static const WString kNoName;
  return name_ ? *name_ : kNoName;
}

ResourceId ResourceId::FromText(std::u16string_view text) {
  if (text.size() >= 2 && text.size() <= 6 && text[0] == u'#') {
    uint32_t value = 0;
    bool digits = true;
    for (char16_t c : text.substr(1)) {
      if (c < u'0' || c > u'9') {
        digits = false;
        break;
      }
      value = value * 10 + static_cast<uint32_t>(c - u'0');
    }
    if (digits && value <= 0xFFFF) return Integer(static_cast<uint16_t>(value));
  }
  return Named(WString(text));
}

WString ResourceId::ToText() const {
  if (!isInteger_) return Name();
  return u"#" + text::FormatDecimal(id_);
}

bool ResourceId::Matches(const ResourceId& other) const {
  if (isInteger_ != other.isInteger_) return false;
  if (isInteger_) return id_ == other.id_;
  return name_ == other.name_ || CompareUpper(Name(), other.Name()) == 0;
}

bool operator==(const ResourceId& a, const ResourceId& b) {
  if (a.isInteger_ != b.isInteger_) return false;
  if (a.isInteger_) return a.id_ == b.id_;
  return a.name_ == b.name_ || a.Name() == b.Name();
}

bool ResourceOrderLess(const ResourceId& a, const ResourceId& b) {
  if (a.IsInteger() != b.IsInteger()) return !a.IsInteger();
  if (a.IsInteger()) return a.Id() < b.Id();
  if (a.NameStorage() == b.NameStorage()) return false;  // one shared name
  const int folded = CompareUpper(a.Name(), b.Name());
  if (folded != 0) return folded < 0;
  return a.Name() < b.Name();
}

}  // namespace tidewell::pe
