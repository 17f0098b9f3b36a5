#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "text/WString.h"

namespace tidewell {

// A UTF-16 text kept inside the object up to kInline code units and on the
// heap beyond. The names and client folders of tree nodes almost always fit,
// so a tree of many thousand files is built without an allocation for each
// of its texts. Reads as a std::u16string_view; copies are deep.
class SmallText {
 public:
  static constexpr size_t kInline = 28;

  // The inline room is left unset: only the first size_ units are ever read.
  SmallText() noexcept {}
  SmallText(std::u16string_view text) : SmallText() { assign(text); }
  SmallText(const char16_t* text) : SmallText(std::u16string_view(text)) {}
  SmallText(const WString& text) : SmallText(std::u16string_view(text)) {}
  SmallText(const SmallText& other) : SmallText(other.view()) {}
  SmallText(SmallText&& other) noexcept : SmallText() { Take(other); }
  ~SmallText() { Free(); }

  SmallText& operator=(const SmallText& other) {
    if (this != &other) assign(other.view());
    return *this;
  }
  SmallText& operator=(SmallText&& other) noexcept {
    if (this != &other) {
      Free();
      Take(other);
    }
    return *this;
  }
  SmallText& operator=(std::u16string_view text) {
    assign(text);
    return *this;
  }
  SmallText& operator=(const WString& text) { return *this = std::u16string_view(text); }
  SmallText& operator=(const char16_t* text) { return *this = std::u16string_view(text); }

  // `text` may be a part of this text.
  void assign(std::u16string_view text) {
    if (text.size() > capacity_) return AssignGrown(text);
    std::memmove(data(), text.data(), text.size() * sizeof(char16_t));
    size_ = static_cast<uint32_t>(text.size());
  }
  // Makes room for `count` code units and answers where they go; the text
  // keeps its first `count` units only where the room was there already. The
  // caller writes them and then calls truncate() with the number written.
  char16_t* prepare(size_t count) {
    if (count > capacity_) Grow(count);
    size_ = static_cast<uint32_t>(count);
    return data();
  }
  void truncate(size_t count) noexcept {
    if (count < size_) size_ = static_cast<uint32_t>(count);
  }
  void clear() noexcept { size_ = 0; }

  bool empty() const noexcept { return size_ == 0; }
  size_t size() const noexcept { return size_; }
  const char16_t* data() const noexcept { return OnHeap() ? heap_ : local_; }
  char16_t* data() noexcept { return OnHeap() ? heap_ : local_; }
  const char16_t* begin() const noexcept { return data(); }
  const char16_t* end() const noexcept { return data() + size_; }
  char16_t operator[](size_t i) const noexcept { return data()[i]; }
  char16_t back() const noexcept { return data()[size_ - 1]; }

  std::u16string_view view() const noexcept { return {data(), size_}; }
  operator std::u16string_view() const noexcept { return view(); }
  WString str() const { return WString(view()); }

  friend bool operator==(const SmallText& a, std::u16string_view b) noexcept {
    return a.view() == b;
  }
  friend WString operator+(const SmallText& a, std::u16string_view b) {
    WString joined;
    joined.reserve(a.size() + b.size());
    joined.append(a.view()).append(b);
    return joined;
  }
  friend WString operator+(std::u16string_view a, const SmallText& b) {
    WString joined;
    joined.reserve(a.size() + b.size());
    joined.append(a).append(b.view());
    return joined;
  }

 private:
  bool OnHeap() const noexcept { return capacity_ > kInline; }
  // Longer texts than the room there is, kept apart from the inline paths.
  void AssignGrown(std::u16string_view text);
  void Grow(size_t count);
  void Free() noexcept {
    if (OnHeap()) delete[] heap_;
    capacity_ = kInline;
    size_ = 0;
  }
  // Takes `other`'s text; `other` is left empty and holds no heap.
  void Take(SmallText& other) noexcept {
    if (other.OnHeap()) {
      heap_ = other.heap_;
      capacity_ = other.capacity_;
      other.capacity_ = kInline;
    } else {
      std::memcpy(local_, other.local_, other.size_ * sizeof(char16_t));
    }
    size_ = other.size_;
    other.size_ = 0;
  }

  uint32_t size_ = 0;
  uint32_t capacity_ = kInline;
  union {
    char16_t local_[kInline];
    char16_t* heap_;
  };
};

}  // namespace tidewell
