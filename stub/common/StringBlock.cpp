#include "StringBlock.h"

namespace tidewatch {

StringBlock ParseStringBlock(ByteReader block) {
  StringBlock strings;
  size_t offset = 0;
  for (auto& slot : strings) {
    const auto count = block.U16(offset);
    if (!count || !block.Has(offset + 2, size_t{*count} * 2)) break;
    std::u16string text(*count, u'\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(*block.U16(offset + 2 + 2 * i));
    slot = std::move(text);
    offset += 2 + size_t{*count} * 2;
  }
  return strings;
}

}  // namespace tidewatch
