#include "VariableReferences.h"

namespace tidewatch {

std::u16string FillReferences(std::u16string_view text, const ReferenceValue& value) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t open = text.find(u'%', i);
    if (open == std::u16string_view::npos) break;
    const std::size_t close = text.find(u'%', open + 1);
    if (close == std::u16string_view::npos) break;
    out.append(text.substr(i, open - i));
    if (const auto filled = value(text.substr(open + 1, close - open - 1))) {
      out += *filled;
      i = close + 1;
    } else {
      out += u'%';
      i = open + 1;
    }
  }
  out.append(text.substr(i));
  return out;
}

}  // namespace tidewatch
