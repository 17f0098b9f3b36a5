#include "project/XmlParsedCheck.h"

#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#include <pugixml.hpp>

namespace tidewell {

namespace {

// Longer entity names than this are not looked for: the reference is malformed.
// The same bound as the scan of the bytes (FindMarkupFault).
constexpr size_t kMaxReferenceLength = 255;
// Attribute names of one element are compared pairwise up to this many;
// an element with more is left to the byte scan.
constexpr size_t kMaxComparedAttributes = 16;

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsXmlCharacter(uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// The character a character reference's digits ("65", "x41") name, when it
// is one XML allows.
std::optional<uint32_t> CharacterReference(std::string_view digits) {
  uint32_t base = 10;
  if (!digits.empty() && digits[0] == 'x') {
    base = 16;
    digits.remove_prefix(1);
  }
  if (digits.empty()) return std::nullopt;
  uint32_t value = 0;
  for (const char c : digits) {
    uint32_t d;
    if (c >= '0' && c <= '9')
      d = static_cast<uint32_t>(c - '0');
    else if (base == 16 && c >= 'a' && c <= 'f')
      d = static_cast<uint32_t>(c - 'a' + 10);
    else if (base == 16 && c >= 'A' && c <= 'F')
      d = static_cast<uint32_t>(c - 'A' + 10);
    else
      return std::nullopt;
    value = value * base + d;
    if (value > 0x10FFFF) return std::nullopt;
  }
  if (!IsXmlCharacter(value)) return std::nullopt;
  return value;
}

char* PutUtf8(char* out, uint32_t cp) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | (cp >> 6));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | (cp >> 12));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | (cp >> 18));
    *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// Resolves the references of a value from its first "&" on, in place: every
// reference is longer than the character it stands for. False at the first
// reference it cannot resolve, or at a "<" in an attribute value.
bool ResolveFrom(char* amp, bool attribute) {
  char* write = amp;
  const char* read = amp;
  for (char c = *read; c != 0; c = *read) {
    if (c != '&') {
      if (c == '<' && attribute) return false;
      *write++ = c;
      ++read;
      continue;
    }
    const char* semicolon = read + 1;
    while (*semicolon != 0 && *semicolon != ';' &&
           static_cast<size_t>(semicolon - read) <= kMaxReferenceLength)
      ++semicolon;
    if (*semicolon != ';') return false;
    const std::string_view name(read + 1, static_cast<size_t>(semicolon - read - 1));
    if (name == "amp") {
      *write++ = '&';
    } else if (name == "lt") {
      *write++ = '<';
    } else if (name == "gt") {
      *write++ = '>';
    } else if (name == "quot") {
      *write++ = '"';
    } else if (name == "apos") {
      *write++ = '\'';
    } else if (!name.empty() && name[0] == '#') {
      const std::optional<uint32_t> cp = CharacterReference(name.substr(1));
      if (!cp) return false;
      write = PutUtf8(write, *cp);
    } else {
      return false;  // an entity the document type declares, or none
    }
    read = semicolon + 1;
  }
  *write = 0;
  return true;
}

// The value's text lies in the parsed buffer, which the caller owns.
char* Writable(const char* value) { return const_cast<char*>(value); }

bool CheckText(const char* value) {
  char* amp = std::strchr(Writable(value), '&');
  return !amp || ResolveFrom(amp, false);
}

bool CheckAttributes(const pugi::xml_node& element) {
  const char* names[kMaxComparedAttributes];
  size_t count = 0;
  for (pugi::xml_attribute a = element.first_attribute(); a; a = a.next_attribute()) {
    const char* name = a.name();
    if (count == kMaxComparedAttributes) return false;
    for (size_t k = 0; k < count; ++k)
      if (names[k][0] == name[0] && std::strcmp(names[k], name) == 0) return false;
    names[count++] = name;
    char* special = Writable(a.value());
    special += std::strcspn(special, "<&");
    if (*special == '<') return false;
    if (*special == '&' && !ResolveFrom(special, true)) return false;
  }
  return true;
}

bool AllBlank(const char* text) {
  for (; *text != 0; ++text)
    if (!IsBlank(*text)) return false;
  return true;
}

}  // namespace

unsigned ParseOptionsForCheck() {
  return (pugi::parse_default & ~pugi::parse_escapes) | pugi::parse_ws_pcdata_single |
         pugi::parse_fragment | pugi::parse_doctype;
}

bool CheckParsedDocument(pugi::xml_document& dom, const char* buffer, size_t rootStart) {
  pugi::xml_node root;
  for (pugi::xml_node n = dom.first_child(); n; n = n.next_sibling()) {
    switch (n.type()) {
      case pugi::node_element:
        if (root) return false;
        root = n;
        break;
      case pugi::node_pcdata:
        if (!AllBlank(n.value())) return false;
        break;
      case pugi::node_doctype:
        if (root) return false;
        break;
      default:
        break;
    }
  }
  if (!root) return true;
  if (rootStart == std::string_view::npos) return false;
  // The prolog's scan and the parse must agree on where the root starts.
  if (root.name() != buffer + rootStart + 1) return false;
  pugi::xml_node n = root;
  for (;;) {
    if (n.type() == pugi::node_element) {
      if (!CheckAttributes(n)) return false;
    } else if (n.type() == pugi::node_pcdata) {
      if (!CheckText(n.value())) return false;
    }
    if (n.first_child()) {
      n = n.first_child();
      continue;
    }
    while (n != root && !n.next_sibling()) n = n.parent();
    if (n == root) return true;
    n = n.next_sibling();
  }
}

}  // namespace tidewell
