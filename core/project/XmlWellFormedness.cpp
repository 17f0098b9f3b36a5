#include "project/XmlWellFormedness.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tidewell {

namespace {

constexpr size_t kNone = std::string_view::npos;
// Longer entity names than this are not looked for: the reference is malformed.
constexpr size_t kMaxReferenceLength = 256;

constexpr bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A byte that can belong to an element or attribute name as far as telling
// names apart is concerned.
constexpr bool IsNameByte(char c) {
  return !IsBlank(c) && c != '=' && c != '/' && c != '>' && c != '"' && c != '\'' && c != '<';
}

// IsNameByte for every byte value, looked up in the scanner's inner loop.
constexpr auto kNameBytes = [] {
  std::array<bool, 256> table{};
  for (int b = 0; b < 256; ++b) table[static_cast<size_t>(b)] = IsNameByte(static_cast<char>(b));
  return table;
}();

bool IsXmlCharacter(uint32_t c) {
  return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
         (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// The first of up to three bytes in [from, to), or kNone (`c2` and `c3` may
// repeat `c1`). Sixteen bytes are compared at a time where the processor
// allows: the scanner spends its time here.
size_t FindAny(std::string_view bytes, size_t from, size_t to, char c1, char c2, char c3) {
  const char* p = bytes.data();
  size_t i = from;
#if defined(__SSE2__)
  const __m128i v1 = _mm_set1_epi8(c1), v2 = _mm_set1_epi8(c2), v3 = _mm_set1_epi8(c3);
  for (; i + 16 <= to; i += 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    const __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, v1), _mm_cmpeq_epi8(block, v2)),
                                      _mm_cmpeq_epi8(block, v3));
    const int mask = _mm_movemask_epi8(hits);
    if (mask != 0) return i + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
  }
#endif
  for (; i < to; ++i)
    if (p[i] == c1 || p[i] == c2 || p[i] == c3) return i;
  return kNone;
}

size_t Find(std::string_view bytes, char c, size_t from, size_t to) {
  return FindAny(bytes, from, to, c, c, c);
}

class MarkupScanner {
 public:
  explicit MarkupScanner(std::string_view bytes) : bytes_(bytes) {}

  // Scans the whole document, or with `prologOnly` up to and including the
  // first element's start tag, whose place is kept (see RootStart).
  std::optional<XmlFault> Run(bool prologOnly = false) {
    size_t i = 0;
    const size_t n = bytes_.size();
    // A UTF-8 byte-order mark may open the document.
    if (StartsWith(0, "\xEF\xBB\xBF")) i = 3;
    while (i < n && !fault_) {
      size_t lt = Find(bytes_, '<', i, n);
      if (lt == kNone) lt = n;
      if (depth_ == 0) CheckNothingButBlanks(i, lt);
      CheckReferences(i, lt);
      if (lt == n || fault_) break;
      i = SkipMarkup(lt);
      if (prologOnly && topLevelElements_ > 0) {
        rootStart_ = lt;
        break;
      }
    }
    return fault_;
  }

  size_t RootStart() const { return rootStart_; }

 private:
  bool StartsWith(size_t at, std::string_view prefix) const {
    return bytes_.substr(at, prefix.size()) == prefix;
  }

  void Fail(size_t at, std::string description) {
    if (!fault_) fault_ = XmlFault{at, std::move(description)};
  }

  // Outside the root element only blanks may stand between markup.
  void CheckNothingButBlanks(size_t from, size_t to) {
    for (size_t j = from; j < to; ++j) {
      if (!IsBlank(bytes_[j])) {
        Fail(j, "text outside the root element");
        return;
      }
    }
  }

  // The first "&" at or after `from` (the size when there is none). The
  // position found is kept: "&" is rare, so most ranges are passed over
  // without a search of their own.
  size_t NextAmpersand(size_t from) {
    if (nextAmpersand_ == kNone || nextAmpersand_ < from) {
      const size_t hit = Find(bytes_, '&', from, bytes_.size());
      nextAmpersand_ = hit == kNone ? bytes_.size() : hit;
    }
    return nextAmpersand_;
  }

  // Every "&" in [from, to) must start a well-formed reference.
  void CheckReferences(size_t from, size_t to) {
    for (size_t amp = NextAmpersand(from); amp < to && !fault_; amp = NextAmpersand(amp + 1)) {
      const size_t semicolon = Find(bytes_, ';', amp + 1, std::min(to, amp + 1 + kMaxReferenceLength));
      if (semicolon == kNone) {
        Fail(amp, "\"&\" that starts no reference");
        return;
      }
      const std::string_view name = bytes_.substr(amp + 1, semicolon - amp - 1);
      if (!IsKnownReference(name)) Fail(amp, "reference to an undefined entity or character");
    }
  }

  bool IsKnownReference(std::string_view name) const {
    if (name.empty()) return false;
    if (name[0] == '#') return IsCharacterReference(name.substr(1));
    if (name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos") return true;
    if (!std::all_of(name.begin(), name.end(), IsNameByte)) return false;
    return std::find(declared_.begin(), declared_.end(), name) != declared_.end();
  }

  static bool IsCharacterReference(std::string_view digits) {
    int base = 10;
    if (!digits.empty() && digits[0] == 'x') {
      base = 16;
      digits.remove_prefix(1);
    }
    if (digits.empty()) return false;
    uint32_t value = 0;
    for (char c : digits) {
      int d;
      if (c >= '0' && c <= '9')
        d = c - '0';
      else if (base == 16 && c >= 'a' && c <= 'f')
        d = c - 'a' + 10;
      else if (base == 16 && c >= 'A' && c <= 'F')
        d = c - 'A' + 10;
      else
        return false;
      value = value * static_cast<uint32_t>(base) + static_cast<uint32_t>(d);
      if (value > 0x10FFFF) return false;
    }
    return IsXmlCharacter(value);
  }

  // `at` is a "<"; answers where the text after this markup starts.
  size_t SkipMarkup(size_t at) {
    if (StartsWith(at, "<!--")) return After("-->", at + 4);
    if (StartsWith(at, "<![CDATA[")) return After("]]>", at + 9);
    if (StartsWith(at, "<?")) return After("?>", at + 2);
    if (StartsWith(at, "<!")) return SkipDeclaration(at);
    return ScanTag(at);
  }

  // A document type declaration, its internal subset included. The entities
  // it declares may be referred to in the document.
  size_t SkipDeclaration(size_t at) {
    const size_t n = bytes_.size();
    int depth = 0;
    char quote = 0;
    for (size_t j = at + 2; j < n; ++j) {
      const char c = bytes_[j];
      if (quote) {
        if (c == quote) quote = 0;
      } else if (c == '"' || c == '\'') {
        quote = c;
      } else if (c == '[') {
        ++depth;
      } else if (c == ']') {
        --depth;
      } else if (c == '<' && StartsWith(j, "<!ENTITY")) {
        RecordEntity(j + 8);
      } else if (c == '<' && StartsWith(j, "<!--")) {
        j = After("-->", j + 4) - 1;
      } else if (c == '>' && depth <= 0) {
        return j + 1;
      }
    }
    return n;
  }

  // Where the text after the first `end` from `from` on starts (the size
  // when there is none).
  size_t After(std::string_view end, size_t from) const {
    const size_t hit = bytes_.find(end, from);
    return hit == kNone ? bytes_.size() : hit + end.size();
  }

  void RecordEntity(size_t from) {
    size_t j = from;
    while (j < bytes_.size() && IsBlank(bytes_[j])) ++j;
    if (j < bytes_.size() && bytes_[j] == '%') return;  // a parameter entity
    const size_t start = j;
    while (j < bytes_.size() && IsNameByte(bytes_[j])) ++j;
    if (j > start) declared_.push_back(bytes_.substr(start, j - start));
  }

  // A start or end tag: attribute values hold no "<" and only well-formed
  // references, and no attribute is named twice. Only quotation marks and
  // the closing ">" are looked for: tags are most of a project file.
  size_t ScanTag(size_t at) {
    const char* p = bytes_.data();
    const size_t n = bytes_.size();
    names_.clear();
    size_t j = at + 1;
    while (j < n) {
      j = FindAny(bytes_, j, n, '"', '\'', '>');
      if (j == kNone) return n;  // the parser has refused it already
      if (p[j] == '>') break;
      const char quote = p[j];
      const size_t close = FindAny(bytes_, j + 1, n, quote, '<', quote);
      if (close == kNone) return n;
      if (p[close] == '<') {
        Fail(close, "\"<\" inside an attribute value");
        return n;
      }
      CheckReferences(j + 1, close);
      if (fault_) return n;
      names_.push_back(AttributeNameBefore(j, at));
      j = close + 1;
    }
    CheckRepeatedNames(at);
    TrackNesting(at, j);
    return j + 1;
  }

  // The name of the attribute whose value opens at `quote`: the word before
  // the "=" before it (not before the tag's start at `tag`).
  std::string_view AttributeNameBefore(size_t quote, size_t tag) const {
    const char* p = bytes_.data();
    size_t end = quote;
    while (end > tag + 1 && (IsBlank(p[end - 1]) || p[end - 1] == '=')) --end;
    size_t start = end;
    while (start > tag + 1 && kNameBytes[static_cast<unsigned char>(p[start - 1])]) --start;
    return bytes_.substr(start, end - start);
  }

  // Follows how deep the tags at [at, end] nest; a second element at the top
  // level is refused.
  void TrackNesting(size_t at, size_t end) {
    if (at + 1 < bytes_.size() && bytes_[at + 1] == '/') {
      if (depth_ > 0) --depth_;
      return;
    }
    if (depth_ == 0 && ++topLevelElements_ > 1) Fail(at, "more than one element at the top level");
    const bool selfClosing = end < bytes_.size() && end > at && bytes_[end - 1] == '/';
    if (!selfClosing) ++depth_;
  }

  void CheckRepeatedNames(size_t at) {
    const size_t count = names_.size();
    if (count < 2) return;
    bool repeated = false;
    if (count <= 8) {
      for (size_t a = 0; a < count && !repeated; ++a)
        for (size_t b = a + 1; b < count && !repeated; ++b) repeated = names_[a] == names_[b];
    } else {
      std::sort(names_.begin(), names_.end());
      repeated = std::adjacent_find(names_.begin(), names_.end()) != names_.end();
    }
    if (repeated) Fail(at, "an element names the same attribute twice");
  }

  std::string_view bytes_;
  std::vector<std::string_view> declared_;
  std::vector<std::string_view> names_;
  size_t depth_ = 0;
  int topLevelElements_ = 0;
  size_t nextAmpersand_ = kNone;
  size_t rootStart_ = kNone;
  std::optional<XmlFault> fault_;
};

}  // namespace

std::optional<XmlFault> FindMarkupFault(std::string_view bytes) { return MarkupScanner(bytes).Run(); }

PrologScan ScanProlog(std::string_view bytes) {
  MarkupScanner scanner(bytes);
  PrologScan scan;
  scan.fault = scanner.Run(true);
  scan.rootStart = scanner.RootStart();
  return scan;
}

}  // namespace tidewell
