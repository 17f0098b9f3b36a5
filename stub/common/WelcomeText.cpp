#include "WelcomeText.h"

#include <algorithm>
#include <vector>

#include "VariableReferences.h"
#include "XmlCharacters.h"

namespace tidewatch {

namespace {

constexpr std::u16string_view kNoFileNamed =
    u"No update file was named. The preview needs the name of the server update file after "
    u"testMode.";
constexpr std::u16string_view kFileUnreadable = u"The update file could not be read:\r\n";
constexpr std::u16string_view kNotAnUpdateFile =
    u"The update file is damaged or is not an update file:\r\n";
constexpr std::u16string_view kNoWelcome =
    u"The update file holds no welcome text, so the client shows no welcome page:\r\n";

// Resolves the five predefined entities and character references; anything
// else after "&" is kept as written.
std::u16string DecodeEntities(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] != u'&') {
      out += text[i++];
      continue;
    }
    const size_t semi = text.find(u';', i + 1);
    const std::u16string_view ref =
        semi == std::u16string_view::npos ? std::u16string_view{} : text.substr(i + 1, semi - i - 1);
    char16_t named = 0;
    if (ref == u"amp") named = u'&';
    else if (ref == u"lt") named = u'<';
    else if (ref == u"gt") named = u'>';
    else if (ref == u"apos") named = u'\'';
    else if (ref == u"quot") named = u'"';
    if (named != 0) {
      out += named;
      i = semi + 1;
    } else if (const auto cp = CharacterReference(ref)) {
      AppendUtf16(out, *cp);
      i = semi + 1;
    } else {
      out += text[i++];
    }
  }
  return out;
}

bool IsXmlSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// Walks the markup of one document; every step advances or fails.
class Scanner {
 public:
  explicit Scanner(std::u16string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ >= text_.size(); }
  bool Next(std::u16string_view prefix) const { return text_.substr(pos_).starts_with(prefix); }
  void SkipSpace() {
    while (!AtEnd() && IsXmlSpace(text_[pos_])) ++pos_;
  }
  // Moves past the next `terminator`; false when there is none.
  bool SkipPast(std::u16string_view terminator) {
    const size_t at = text_.find(terminator, pos_);
    if (at == std::u16string_view::npos) return false;
    pos_ = at + terminator.size();
    return true;
  }
  // The text up to the next "<" (or the end), consumed.
  std::u16string_view CharacterData() {
    const size_t at = std::min(text_.find(u'<', pos_), text_.size());
    const std::u16string_view data = text_.substr(pos_, at - pos_);
    pos_ = at;
    return data;
  }
  // The content of a CDATA section at the current position, consumed.
  std::optional<std::u16string_view> CData() {
    constexpr std::u16string_view kOpen = u"<![CDATA[";
    const size_t start = pos_ + kOpen.size();
    const size_t end = text_.find(u"]]>", start);
    if (end == std::u16string_view::npos) return std::nullopt;
    pos_ = end + 3;
    return text_.substr(start, end - start);
  }
  // A doctype declaration, with an internal subset in square brackets.
  bool SkipDoctype() {
    int brackets = 0;
    while (!AtEnd()) {
      const char16_t c = text_[pos_++];
      if (c == u'[') ++brackets;
      else if (c == u']') --brackets;
      else if (c == u'>' && brackets <= 0) return true;
    }
    return false;
  }
  // A start tag after its "<": the element name, attributes skipped (quoted
  // values may hold ">"). Empty name on failure.
  std::u16string_view StartTag(bool& selfClosing) {
    selfClosing = false;
    const std::u16string_view name = Name();
    if (name.empty()) return {};
    while (!AtEnd()) {
      const char16_t c = text_[pos_];
      if (c == u'>') {
        ++pos_;
        return name;
      }
      if (c == u'/' && Next(u"/>")) {
        pos_ += 2;
        selfClosing = true;
        return name;
      }
      if (c == u'"' || c == u'\'') {
        ++pos_;
        if (!SkipPast(std::u16string_view(&text_[pos_ - 1], 1))) return {};
        continue;
      }
      if (c == u'<') return {};
      ++pos_;
    }
    return {};
  }
  // An end tag after its "</": the element name. Empty name on failure.
  std::u16string_view EndTag() {
    const std::u16string_view name = Name();
    SkipSpace();
    if (name.empty() || AtEnd() || text_[pos_] != u'>') return {};
    ++pos_;
    return name;
  }
  void Advance(size_t n) { pos_ += n; }

 private:
  std::u16string_view Name() {
    const size_t start = pos_;
    while (!AtEnd() && !IsXmlSpace(text_[pos_]) && text_[pos_] != u'/' && text_[pos_] != u'>' &&
           text_[pos_] != u'<')
      ++pos_;
    return text_.substr(start, pos_ - start);
  }

  std::u16string_view text_;
  size_t pos_ = 0;
};

bool SkipProlog(Scanner& scan) {
  while (true) {
    scan.SkipSpace();
    if (scan.Next(u"<?")) {
      if (!scan.SkipPast(u"?>")) return false;
    } else if (scan.Next(u"<!--")) {
      if (!scan.SkipPast(u"-->")) return false;
    } else if (scan.Next(u"<!DOCTYPE")) {
      if (!scan.SkipDoctype()) return false;
    } else {
      return true;
    }
  }
}

WelcomeElement Damaged() { return {WelcomeStatus::NotAnUpdateFile, {}}; }

}  // namespace

WelcomeElement ExtractWelcome(std::u16string_view fileText) {
  if (!fileText.empty() && fileText[0] == u'\uFEFF') fileText.remove_prefix(1);
  const std::u16string text = NormaliseXmlLineBreaks(fileText);
  Scanner scan(text);

  if (!SkipProlog(scan) || !scan.Next(u"<")) return Damaged();
  scan.Advance(1);
  bool selfClosing = false;
  if (scan.StartTag(selfClosing) != u"Tidemark") return Damaged();
  if (selfClosing) return {WelcomeStatus::NoWelcome, {}};

  std::vector<std::u16string_view> open{u"Tidemark"};
  bool inWelcome = false;
  std::u16string welcome;
  while (!scan.AtEnd()) {
    if (!scan.Next(u"<")) {
      const std::u16string_view data = scan.CharacterData();
      if (inWelcome) welcome += DecodeEntities(data);
    } else if (scan.Next(u"<!--")) {
      if (!scan.SkipPast(u"-->")) return Damaged();
    } else if (scan.Next(u"<![CDATA[")) {
      const auto data = scan.CData();
      if (!data) return Damaged();
      if (inWelcome) welcome += *data;
    } else if (scan.Next(u"<?")) {
      if (!scan.SkipPast(u"?>")) return Damaged();
    } else if (scan.Next(u"<!")) {
      return Damaged();
    } else if (scan.Next(u"</")) {
      scan.Advance(2);
      const std::u16string_view name = scan.EndTag();
      if (name.empty() || name != open.back()) return Damaged();
      open.pop_back();
      if (inWelcome && open.size() == 1) return {WelcomeStatus::Found, welcome};
      if (open.empty()) return {WelcomeStatus::NoWelcome, {}};
    } else {
      scan.Advance(1);
      const std::u16string_view name = scan.StartTag(selfClosing);
      if (name.empty()) return Damaged();
      const bool isWelcome = !inWelcome && open.size() == 1 && name == u"Welcome";
      if (isWelcome && selfClosing) return {WelcomeStatus::Found, {}};
      if (isWelcome) inWelcome = true;
      if (!selfClosing) open.push_back(name);
    }
  }
  return Damaged();
}

std::u16string FillBuiltInVariables(std::u16string_view text, std::u16string_view login,
                                    std::u16string_view platform) {
  return FillReferences(text, [&](std::u16string_view name) -> std::optional<std::u16string> {
    if (name == u"Login") return std::u16string(login);
    if (name == u"Platform") return std::u16string(platform);
    return std::nullopt;
  });
}

std::u16string WithCrLf(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() + text.size() / 8);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      out += u"\r\n";
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

PreviewText PrepareWelcome(const std::optional<std::u16string>& fileText, std::u16string_view fileName,
                           std::u16string_view login, std::u16string_view platform) {
  if (fileName.empty()) return {false, std::u16string(kNoFileNamed)};
  const auto message = [&](std::u16string_view lead) {
    return PreviewText{false, std::u16string(lead) + std::u16string(fileName)};
  };
  if (!fileText) return message(kFileUnreadable);
  const WelcomeElement welcome = ExtractWelcome(*fileText);
  switch (welcome.status) {
    case WelcomeStatus::Found:
      return {true, WithCrLf(FillBuiltInVariables(welcome.text, login, platform))};
    case WelcomeStatus::NotAnUpdateFile:
      return message(kNotAnUpdateFile);
    case WelcomeStatus::NoWelcome:
      break;
  }
  return message(kNoWelcome);
}

}  // namespace tidewatch
