#include "text/SmallText.h"

#include <stdexcept>

namespace tidewell {

namespace {

char16_t* Allocate(size_t count) {
  if (count > UINT32_MAX) throw std::length_error("SmallText: text too long");
  return new char16_t[count];
}

}  // namespace

void SmallText::Grow(size_t count) {
  char16_t* grown = Allocate(count);
  Free();
  heap_ = grown;
  capacity_ = static_cast<uint32_t>(count);
}

void SmallText::AssignGrown(std::u16string_view text) {
  // `text` may lie in the storage given up here: copied before it is freed.
  char16_t* grown = Allocate(text.size());
  std::memcpy(grown, text.data(), text.size() * sizeof(char16_t));
  Free();
  heap_ = grown;
  capacity_ = static_cast<uint32_t>(text.size());
  size_ = static_cast<uint32_t>(text.size());
}

}  // namespace tidewell
