#include "project/XmlEntities.h"

#include <charconv>
#include <map>
#include <optional>
#include <string_view>

#include "text/Text.h"

namespace tidewell {

namespace {

constexpr size_t kNone = std::string_view::npos;
// Longer entity names than this are not looked for: the reference is malformed.
constexpr size_t kMaxReferenceLength = 256;
// Entities may refer to entities this deep; deeper chains are refused
// rather than followed on the stack.
constexpr int kMaxNesting = 64;

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsPredefined(std::string_view name) {
  return name == "lt" || name == "gt" || name == "amp" || name == "apos" || name == "quot";
}

struct Entity {
  std::string value;      // the replacement text, character references resolved
  bool external = false;  // kept in another file
  enum class State { Unread, Expanding, Expanded } state = State::Unread;
  std::string expanded;   // the value with every declared entity replaced
};

class EntityExpander {
 public:
  EntityExpander(std::string_view text, size_t limit) : text_(text), limit_(limit) {}

  // The expanded text, nullopt when the document declares no entity (and is
  // kept as it is) or when the expansion is refused (error() says why).
  std::optional<std::string> Run() {
    const size_t doctype = FindDocumentType();
    if (doctype == kNone) return std::nullopt;
    const size_t body = ReadDocumentType(doctype);
    if (failed_ || entities_.empty() || body >= text_.size()) return std::nullopt;
    std::string out(text_.substr(0, body));
    if (!Charge(out.size()) || !ExpandBody(body, out)) return std::nullopt;
    return out;
  }

  bool Failed() const { return failed_; }
  const std::string& Error() const { return error_; }

 private:
  bool Fail(std::string why) {
    if (!failed_) error_ = std::move(why);
    failed_ = true;
    return false;
  }

  bool Charge(size_t bytes) {
    used_ += bytes;
    if (used_ <= limit_) return true;
    return Fail("the entities the file declares expand to more than " + std::to_string(limit_) +
                " bytes");
  }

  bool StartsWith(size_t at, std::string_view prefix) const {
    return text_.substr(at, prefix.size()) == prefix;
  }

  size_t After(std::string_view end, size_t from) const {
    const size_t hit = text_.find(end, from);
    return hit == kNone ? text_.size() : hit + end.size();
  }

  // Where "<!DOCTYPE" starts in the prolog, or kNone.
  size_t FindDocumentType() const {
    size_t i = StartsWith(0, "\xEF\xBB\xBF") ? 3 : 0;
    while (i < text_.size()) {
      if (IsBlank(text_[i])) ++i;
      else if (StartsWith(i, "<?")) i = After("?>", i + 2);
      else if (StartsWith(i, "<!--")) i = After("-->", i + 4);
      else if (StartsWith(i, "<!DOCTYPE")) return i;
      else return kNone;
    }
    return kNone;
  }

  // Skips a quoted literal starting at `at`; answers where it ends (after the
  // closing quotation mark) and puts its content into `value`.
  size_t ReadLiteral(size_t at, std::string_view* value) const {
    const char quote = text_[at];
    const size_t close = text_.find(quote, at + 1);
    if (close == kNone) return text_.size();
    if (value) *value = text_.substr(at + 1, close - at - 1);
    return close + 1;
  }

  // Skips a declaration up to its closing ">", quoted literals included.
  size_t SkipDeclaration(size_t at) const {
    for (size_t j = at; j < text_.size(); ++j) {
      if (text_[j] == '"' || text_[j] == '\'') j = ReadLiteral(j, nullptr) - 1;
      else if (text_[j] == '>') return j + 1;
    }
    return text_.size();
  }

  // Reads the document type declaration at `at`, recording the entities its
  // internal subset declares; answers where the document goes on.
  size_t ReadDocumentType(size_t at) {
    size_t j = at + 9;
    while (j < text_.size() && text_[j] != '[' && text_[j] != '>') {
      if (text_[j] == '"' || text_[j] == '\'') j = ReadLiteral(j, nullptr);
      else ++j;
    }
    if (j >= text_.size() || text_[j] == '>') return j + 1;
    ++j;  // the internal subset
    while (j < text_.size() && !failed_) {
      if (IsBlank(text_[j])) ++j;
      else if (text_[j] == ']') return SkipDeclaration(j);
      else if (StartsWith(j, "<!--")) j = After("-->", j + 4);
      else if (StartsWith(j, "<?")) j = After("?>", j + 2);
      else if (StartsWith(j, "<!ENTITY")) j = ReadEntityDeclaration(j + 8);
      else if (StartsWith(j, "<!")) j = SkipDeclaration(j + 2);
      else if (text_[j] == '%') Fail("the document type uses parameter entities, which are not read");
      else return SkipDeclaration(j);  // malformed: the parser reports it
    }
    return text_.size();
  }

  size_t ReadEntityDeclaration(size_t j) {
    while (j < text_.size() && IsBlank(text_[j])) ++j;
    if (j < text_.size() && text_[j] == '%') {
      Fail("the document type declares parameter entities, which are not read");
      return text_.size();
    }
    const size_t start = j;
    while (j < text_.size() && !IsBlank(text_[j]) && text_[j] != '>' && text_[j] != '"' &&
           text_[j] != '\'')
      ++j;
    const std::string name(text_.substr(start, j - start));
    while (j < text_.size() && IsBlank(text_[j])) ++j;
    Entity entity;
    if (j < text_.size() && (text_[j] == '"' || text_[j] == '\'')) {
      std::string_view literal;
      j = ReadLiteral(j, &literal);
      entity.value = ResolveCharacterReferences(literal);
    } else {
      entity.external = true;
    }
    // The first declaration of a name is the one that counts.
    if (!name.empty() && !IsPredefined(name) && Charge(entity.value.size()))
      entities_.try_emplace(name, std::move(entity));
    return SkipDeclaration(j);
  }

  static std::string ResolveCharacterReferences(std::string_view literal) {
    std::string out;
    size_t i = 0;
    while (i < literal.size()) {
      const size_t amp = literal.find("&#", i);
      const size_t semicolon = amp == kNone ? kNone : literal.find(';', amp);
      if (semicolon == kNone) break;
      out.append(literal.substr(i, amp - i));
      std::string_view digits = literal.substr(amp + 2, semicolon - amp - 2);
      int base = 10;
      if (!digits.empty() && digits[0] == 'x') {
        base = 16;
        digits.remove_prefix(1);
      }
      uint32_t code = 0;
      const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), code, base);
      if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() ||
          code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        out.append(literal.substr(amp, semicolon + 1 - amp));  // the parser reports it
      } else {
        std::u16string unit;
        if (code >= 0x10000) {
          unit += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
          unit += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
          unit += static_cast<char16_t>(code);
        }
        out += text::ToUtf8(unit);
      }
      i = semicolon + 1;
    }
    out.append(literal.substr(i));
    return out;
  }

  // The declared entity a reference at `amp` in `source` names, with the
  // reference's end; nullptr when it names none (left for the parser).
  Entity* DeclaredAt(std::string_view source, size_t amp, size_t* end, std::string* name) {
    const size_t semicolon = source.find(';', amp + 1);
    if (semicolon == kNone || semicolon - amp > kMaxReferenceLength) return nullptr;
    *name = std::string(source.substr(amp + 1, semicolon - amp - 1));
    const auto it = entities_.find(*name);
    if (it == entities_.end()) return nullptr;
    *end = semicolon + 1;
    return &it->second;
  }

  // The entity's text with every declared entity in it replaced.
  const std::string* Expanded(const std::string& name, Entity& entity, int depth) {
    if (entity.external) {
      Fail("the entity \"" + name + "\" is kept in another file, which is not read");
      return nullptr;
    }
    if (entity.state == Entity::State::Expanded) return &entity.expanded;
    if (entity.state == Entity::State::Expanding) {
      Fail("the entity \"" + name + "\" refers to itself");
      return nullptr;
    }
    if (depth > kMaxNesting) {
      Fail("the entities the file declares are nested more than " + std::to_string(kMaxNesting) +
           " deep");
      return nullptr;
    }
    entity.state = Entity::State::Expanding;
    std::string out;
    const std::string_view value = entity.value;
    size_t i = 0;
    for (size_t amp = value.find('&'); amp != kNone; amp = value.find('&', amp + 1)) {
      size_t end = 0;
      std::string inner;
      Entity* referred = DeclaredAt(value, amp, &end, &inner);
      if (!referred) continue;
      const std::string* text = Expanded(inner, *referred, depth + 1);
      if (!text || !Charge(amp - i + text->size())) return nullptr;
      out.append(value.substr(i, amp - i));
      out += *text;
      i = end;
      amp = end - 1;
    }
    if (!Charge(value.size() - i)) return nullptr;
    out.append(value.substr(i));
    entity.expanded = std::move(out);
    entity.state = Entity::State::Expanded;
    return &entity.expanded;
  }

  // Appends the reference at `amp` of the document, expanded when it names a
  // declared entity; answers where the document goes on.
  size_t AppendReference(size_t amp, bool inAttribute, std::string& out) {
    size_t end = 0;
    std::string name;
    Entity* entity = DeclaredAt(text_, amp, &end, &name);
    if (!entity) {
      out += '&';
      return amp + 1;
    }
    const std::string* text = Expanded(name, *entity, 0);
    if (!text) return text_.size();
    if (!inAttribute) {
      if (Charge(text->size())) out += *text;
      return end;
    }
    // In an attribute value the quotation marks of the text are its own,
    // and it may bring no markup.
    for (const char c : *text) {
      if (c == '<') {
        Fail("the entity \"" + name + "\" puts \"<\" into an attribute value");
        return text_.size();
      }
      if (c == '"') out += "&quot;";
      else if (c == '\'') out += "&apos;";
      else out += c;
    }
    Charge(text->size());
    return end;
  }

  // Copies the document from `from` on, references to declared entities
  // replaced in text and attribute values.
  bool ExpandBody(size_t from, std::string& out) {
    size_t i = from;
    char quote = 0;     // the quotation mark of the attribute value being read
    bool inTag = false;
    while (i < text_.size() && !failed_) {
      const size_t next = text_.find_first_of(inTag ? "&\"'>" : "&<", i);
      const size_t stop = next == kNone ? text_.size() : next;
      if (!Charge(stop - i)) break;
      out.append(text_.substr(i, stop - i));
      i = stop;
      if (i >= text_.size()) break;
      const char c = text_[i];
      if (c == '&') {
        if (inTag && !quote) {
          out += '&';
          ++i;
        } else {
          i = AppendReference(i, inTag, out);
        }
        continue;
      }
      size_t end = i + 1;
      if (inTag) {
        if (c == '>' && !quote) inTag = false;
        else if ((c == '"' || c == '\'') && (!quote || quote == c)) quote = quote ? 0 : c;
      } else if (StartsWith(i, "<!--")) {
        end = After("-->", i + 4);
      } else if (StartsWith(i, "<![CDATA[")) {
        end = After("]]>", i + 9);
      } else if (StartsWith(i, "<?")) {
        end = After("?>", i + 2);
      } else {
        inTag = true;
      }
      if (!Charge(end - i)) break;
      out.append(text_.substr(i, end - i));
      i = end;
    }
    return !failed_;
  }

  std::string_view text_;
  size_t limit_;
  size_t used_ = 0;
  std::map<std::string, Entity, std::less<>> entities_;
  bool failed_ = false;
  std::string error_;
};

}  // namespace

size_t EntityExpansionLimit(size_t size) { return (8u << 20) + 4 * size; }

bool ExpandDeclaredEntities(std::string& text, size_t limit, std::string* error) {
  EntityExpander expander(text, limit);
  std::optional<std::string> expanded = expander.Run();
  if (expander.Failed()) {
    if (error) *error = expander.Error();
    return false;
  }
  if (expanded) text = std::move(*expanded);
  return true;
}

}  // namespace tidewell
