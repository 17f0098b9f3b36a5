#include "ClientResources.h"

#include <windows.h>

#include "ClientResourceIds.h"

namespace tidewatch {

std::optional<ByteReader> FindOwnResource(const wchar_t* type, int id) {
  HMODULE self = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceExW(self, type, MAKEINTRESOURCEW(id), TIDEWATCH_LANGUAGE);
  if (found == nullptr) found = FindResourceW(self, MAKEINTRESOURCEW(id), type);
  if (found == nullptr) return std::nullopt;
  const DWORD size = SizeofResource(self, found);
  HGLOBAL loaded = LoadResource(self, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (data == nullptr) return size == 0 ? std::optional<ByteReader>(ByteReader()) : std::nullopt;
  return ByteReader(data, size);
}

ClientResourceBytes ReadOwnResources() {
  ClientResourceBytes r;
  r.stringBlock = FindOwnResource(MAKEINTRESOURCEW(6), TIDEWATCH_STRING_BLOCK);
  r.topPicture = FindOwnResource(MAKEINTRESOURCEW(2), TIDEWATCH_BITMAP_TOP);
  r.mainPicture = FindOwnResource(MAKEINTRESOURCEW(2), TIDEWATCH_BITMAP_MAIN);
  r.largeIcon = FindOwnResource(MAKEINTRESOURCEW(3), TIDEWATCH_ICON_LARGE);
  r.smallIcon = FindOwnResource(MAKEINTRESOURCEW(3), TIDEWATCH_ICON_SMALL);
  return r;
}

ClientStrings::ClientStrings() {
  // The block is read through the bounds-checked parser, not LoadStringW,
  // which trusts the counts of a block the tool may have written short.
  if (const auto block = FindOwnResource(MAKEINTRESOURCEW(6), TIDEWATCH_STRING_BLOCK)) {
    block_ = ParseStringBlock(*block);
  }
}

std::u16string ClientStrings::Get(int index) const {
  if (index < 0 || index >= TIDEWATCH_STRING_COUNT || !block_[static_cast<size_t>(index)]) return {};
  return *block_[static_cast<size_t>(index)];
}

}  // namespace tidewatch
