#include "text/Unicode.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tidewell::text {

size_t DecodeUtf8(std::string_view s, size_t i, char32_t& cp) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  }
  size_t len;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    len = 2, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  for (size_t k = 1; k < len; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return len;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

std::u16string FromUtf8(std::string_view utf8) {
  std::u16string out;
  AssignUtf8(out, utf8);
  return out;
}

// Decodes `utf8` into `wide`, which has room for one code unit per byte (no
// sequence gives more units than it has bytes); answers the units written.
size_t DecodeUtf8Into(char16_t* wide, std::string_view utf8) {
  const size_t n = utf8.size();
  size_t i = 0;
  size_t w = 0;
  while (i < n) {
    // US-ASCII, the usual content, is widened eight bytes at a time.
    if (i + 8 <= n) {
#if defined(__SSE2__)
      const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(utf8.data() + i));
      if (_mm_movemask_epi8(bytes) == 0) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(wide + w),
                         _mm_unpacklo_epi8(bytes, _mm_setzero_si128()));
        i += 8;
        w += 8;
        continue;
      }
#else
      uint64_t word;
      std::memcpy(&word, utf8.data() + i, 8);
      if ((word & 0x8080808080808080ULL) == 0) {
        for (size_t k = 0; k < 8; ++k) wide[w + k] = static_cast<char16_t>((word >> (8 * k)) & 0xFF);
        i += 8;
        w += 8;
        continue;
      }
#endif
    }
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x80) {
      wide[w++] = b;
      ++i;
      continue;
    }
    char32_t cp = 0;
    const size_t taken = DecodeUtf8(utf8, i, cp);
    if (taken == 0) {
      wide[w++] = u'\uFFFD';
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      wide[w++] = static_cast<char16_t>(0xD800 + (cp >> 10));
      wide[w++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      wide[w++] = static_cast<char16_t>(cp);
    }
    i += taken;
  }
  return w;
}


void AssignUtf8(std::u16string& out, std::string_view utf8) {
  out.resize(utf8.size());
  out.resize(DecodeUtf8Into(out.data(), utf8));
}

std::string ToUtf8(std::u16string_view text) {
  std::string out;
  AssignToUtf8(out, text);
  return out;
}

namespace {

// Narrows the leading US-ASCII code units of `text` (at most `count`) into
// `narrow`; answers how many there were.
size_t NarrowAscii(const char16_t* data, size_t count, char* narrow) {
  size_t ascii = 0;
#if defined(__SSE2__)
  // Sixteen code units at a time: a document is mostly US-ASCII.
  const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
  while (ascii + 16 <= count) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + ascii));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + ascii + 8));
    const __m128i any = _mm_and_si128(_mm_or_si128(a, b), high);
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(any, _mm_setzero_si128())) != 0xFFFF) break;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(narrow + ascii), _mm_packus_epi16(a, b));
    ascii += 16;
  }
#endif
  while (ascii + 4 <= count) {
    uint64_t word;
    std::memcpy(&word, data + ascii, 8);
    if ((word & 0xFF80FF80FF80FF80ULL) != 0) break;
    const uint32_t packed = static_cast<uint32_t>((word & 0xFF) | ((word >> 8) & 0xFF00) |
                                                  ((word >> 16) & 0xFF0000) |
                                                  ((word >> 24) & 0xFF000000));
    std::memcpy(narrow + ascii, &packed, 4);
    ascii += 4;
  }
  while (ascii < count && data[ascii] < 0x80) {
    narrow[ascii] = static_cast<char>(data[ascii]);
    ++ascii;
  }
  return ascii;
}

}  // namespace

void AssignToUtf8(std::string& out, std::u16string_view text) {
  out.clear();
  out.reserve(text.size());
  // Narrowed through a buffer of the stack rather than in place, so the
  // text is not cleared before it is written.
  char chunk[4096];
  size_t i = 0;
  while (i < text.size()) {
    const size_t count = std::min(sizeof chunk, text.size() - i);
    const size_t ascii = NarrowAscii(text.data() + i, count, chunk);
    out.append(chunk, ascii);
    i += ascii;
    if (ascii == count) continue;
    // One character outside US-ASCII.
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;  // a lone surrogate has no UTF-8 form
    }
    AppendUtf8(out, cp);
    ++i;
  }
}

std::u16string FromLatin1(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  for (size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<unsigned char>(bytes[i]);
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  size_t i = 0;
  while (i < bytes.size()) {
#if defined(__SSE2__)
    // Sixteen US-ASCII bytes at a time.
    if (i + 16 <= bytes.size() &&
        _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + i))) == 0) {
      i += 16;
      continue;
    }
#endif
    // Eight US-ASCII bytes at a time.
    if (i + 8 <= bytes.size()) {
      uint64_t word;
      std::memcpy(&word, bytes.data() + i, 8);
      if ((word & 0x8080808080808080ULL) == 0) {
        i += 8;
        continue;
      }
    }
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
      continue;
    }
    char32_t cp = 0;
    const size_t n = DecodeUtf8(bytes, i, cp);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::u16string DecodeFileText(std::string_view bytes) {
  return IsValidUtf8(bytes) ? FromUtf8(bytes) : FromLatin1(bytes);
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (cp >> 10));
    out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<char16_t>(cp);
  }
}

}  // namespace tidewell::text
