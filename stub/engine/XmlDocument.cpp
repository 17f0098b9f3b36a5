#include "XmlDocument.h"

#include <array>
#include <unordered_set>

#include "Text.h"
#include "XmlCharacters.h"

namespace tidewatch::engine {

namespace {

constexpr int kMaxDepth = 256;
// An element with more attributes than this finds a repeated name through a
// hash set instead of comparing each name with every one before it.
constexpr size_t kAttributesComparedInTurn = 8;

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

bool IsNameStart(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || c == u'_' || c == u':' || c >= 0x80;
}
bool IsNameChar(char16_t c) { return IsNameStart(c) || (c >= u'0' && c <= u'9') || c == u'-' || c == u'.'; }

class Parser {
 public:
  explicit Parser(std::u16string_view text) : text_(text) {}

  std::optional<XmlElement> Document() {
    if (!Misc(true)) return std::nullopt;
    if (!Next(u"<")) return Fail("no root element");
    XmlElement root;
    if (!Element(root, 0)) return std::nullopt;
    if (!Misc(false)) return std::nullopt;
    if (pos_ != text_.size()) return Fail("content after the root element");
    return root;
  }

  const std::string& error() const { return error_; }

 private:
  std::nullopt_t Fail(std::string what) {
    if (error_.empty()) error_ = what + " (at character " + std::to_string(pos_) + ")";
    return std::nullopt;
  }
  bool FailFalse(std::string what) {
    Fail(std::move(what));
    return false;
  }

  bool Next(std::u16string_view s) const { return text_.substr(pos_).starts_with(s); }
  void SkipSpace() {
    while (pos_ < text_.size() && IsSpace(text_[pos_])) ++pos_;
  }
  bool SkipPast(std::u16string_view terminator, std::u16string* skipped = nullptr) {
    const size_t at = text_.find(terminator, pos_);
    if (at == std::u16string_view::npos) return FailFalse("a construct is not closed");
    if (skipped) skipped->append(text_.substr(pos_, at - pos_));
    pos_ = at + terminator.size();
    return true;
  }

  // White space, comments and processing instructions (the declaration too
  // when `prolog`) around the root.
  bool Misc(bool prolog) {
    while (true) {
      SkipSpace();
      if (Next(u"<!--")) {
        if (!SkipPast(u"-->")) return false;
      } else if (Next(u"<?")) {
        if (!SkipPast(u"?>")) return false;
      } else if (Next(u"<!")) {
        return FailFalse(prolog ? "a document type declaration" : "markup after the root element");
      } else {
        return true;
      }
    }
  }

  bool Name(std::u16string& out) {
    if (pos_ >= text_.size() || !IsNameStart(text_[pos_])) return FailFalse("a name was expected");
    const size_t start = pos_;
    while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
    out.assign(text_.substr(start, pos_ - start));
    return true;
  }

  // Appends the reference after "&" (consumed) to `out`.
  bool Reference(std::u16string& out) {
    const size_t semi = text_.find(u';', pos_);
    if (semi == std::u16string_view::npos || semi - pos_ > 10) return FailFalse("an unfinished reference");
    const std::u16string_view ref = text_.substr(pos_, semi - pos_);
    pos_ = semi + 1;
    if (ref == u"amp") out += u'&';
    else if (ref == u"lt") out += u'<';
    else if (ref == u"gt") out += u'>';
    else if (ref == u"apos") out += u'\'';
    else if (ref == u"quot") out += u'"';
    else if (ref.starts_with(u'#')) {
      const auto cp = CharacterReference(ref);
      if (!cp) return FailFalse("a character reference to no character");
      AppendUtf16(out, *cp);
    } else {
      return FailFalse("an undefined entity");
    }
    return true;
  }

  bool AttributeValue(std::u16string& out) {
    if (pos_ >= text_.size() || (text_[pos_] != u'"' && text_[pos_] != u'\'')) return FailFalse("a quoted value was expected");
    const char16_t quote = text_[pos_++];
    while (true) {
      if (pos_ >= text_.size()) return FailFalse("an attribute value is not closed");
      const char16_t c = text_[pos_++];
      if (c == quote) return true;
      if (c == u'<') return FailFalse("'<' in an attribute value");
      if (c == u'&') {
        if (!Reference(out)) return false;
      } else {
        out += IsSpace(c) ? u' ' : c;
      }
    }
  }

  // At "<" of a start tag.
  bool Element(XmlElement& element, int depth) {
    if (depth > kMaxDepth) return FailFalse("elements nested too deeply");
    ++pos_;
    if (!Name(element.name)) return false;
    // The names as they stand in the text, which outlives the element: the
    // first ones compared in turn, then all of them in a hash set.
    std::array<std::u16string_view, kAttributesComparedInTurn> first;
    std::unordered_set<std::u16string_view> seen;
    while (true) {
      const size_t before = pos_;
      SkipSpace();
      if (Next(u"/>")) {
        pos_ += 2;
        return true;
      }
      if (Next(u">")) {
        ++pos_;
        break;
      }
      if (pos_ == before) return FailFalse("a malformed start tag");
      std::u16string name, value;
      const size_t nameStart = pos_;
      if (!Name(name)) return false;
      const std::u16string_view nameInText = text_.substr(nameStart, pos_ - nameStart);
      SkipSpace();
      if (!Next(u"=")) return FailFalse("'=' was expected");
      ++pos_;
      SkipSpace();
      if (!AttributeValue(value)) return false;
      const size_t count = element.attributes.size();
      if (count < first.size()) {
        for (size_t i = 0; i < count; ++i)
          if (first[i] == nameInText) return FailFalse("an attribute given twice");
        first[count] = nameInText;
      } else {
        if (seen.empty()) seen.insert(first.begin(), first.end());
        if (!seen.insert(nameInText).second) return FailFalse("an attribute given twice");
      }
      element.attributes.emplace_back(std::move(name), std::move(value));
    }
    // Content up to the matching end tag.
    while (true) {
      if (pos_ >= text_.size()) return FailFalse("the element " + ToUtf8(element.name) + " is not closed");
      const char16_t c = text_[pos_];
      if (c == u'&') {
        ++pos_;
        if (!Reference(element.text)) return false;
      } else if (c != u'<') {
        element.text += c;
        ++pos_;
      } else if (Next(u"</")) {
        pos_ += 2;
        std::u16string name;
        if (!Name(name)) return false;
        SkipSpace();
        if (name != element.name || !Next(u">")) return FailFalse("an end tag that does not match");
        ++pos_;
        return true;
      } else if (Next(u"<!--")) {
        if (!SkipPast(u"-->")) return false;
      } else if (Next(u"<![CDATA[")) {
        pos_ += 9;
        if (!SkipPast(u"]]>", &element.text)) return false;
      } else if (Next(u"<?")) {
        if (!SkipPast(u"?>")) return false;
      } else if (Next(u"<!")) {
        return FailFalse("a declaration inside an element");
      } else {
        XmlElement child;
        if (!Element(child, depth + 1)) return false;
        element.children.push_back(std::move(child));
      }
    }
  }

  std::u16string_view text_;
  size_t pos_ = 0;
  std::string error_;
};

}  // namespace

const XmlElement* XmlElement::FirstChild(std::u16string_view childName) const {
  for (const auto& child : children)
    if (child.name == childName) return &child;
  return nullptr;
}

const std::u16string* XmlElement::AttributeIgnoringCase(std::u16string_view attributeName) const {
  for (const auto& [name, value] : attributes)
    if (EqualsIgnoringCase(name, attributeName)) return &value;
  return nullptr;
}

const std::u16string* XmlElement::Attribute(std::u16string_view attributeName) const {
  for (const auto& [name, value] : attributes)
    if (name == attributeName) return &value;
  return nullptr;
}

std::optional<XmlElement> ReadXmlDocument(std::u16string_view text, std::string* error) {
  const std::u16string normalised = NormaliseXmlLineBreaks(text);
  Parser parser(normalised);
  auto root = parser.Document();
  if (!root && error) *error = parser.error();
  return root;
}

}  // namespace tidewatch::engine
