#include "build/IconCatalogue.h"

#include "build/ToolFolder.h"
#include "pe/PeResourceReader.h"
#include "text/Text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tidewell {

std::optional<pe::IconImageSize> IconImageSizeOf(std::string_view image) {
  const auto size = pe::ReadIconImageSize(image);
  if (!size || image.substr(0, 4) == "\x89PNG") return size;
  // The header's own size must lie inside the image.
  uint32_t headerSize = 0;
  for (int i = 3; i >= 0; --i) headerSize = headerSize << 8 | static_cast<uint8_t>(image[i]);
  if (headerSize > image.size()) return std::nullopt;
  return size;
}

IconCatalogue ReadIconCatalogue(const WString& modulePath) {
  return ReadIconCatalogue(modulePath, {});
}

IconCatalogue ReadIconCatalogue(const WString& modulePath, const ListedIconImage& listed) {
  IconCatalogue catalogue;
  const auto reader = pe::PeResourceReader::Open(text::ToPath(modulePath), nullptr);
  if (!reader) return catalogue;
  catalogue.opened = true;
  const pe::ResourceId iconType = pe::ResourceId::Integer(pe::kTypeIcon);
  for (const pe::ResourceId& name : reader->Names(iconType)) {
    // Looked up by its text form with the neutral language first, exactly as
    // the copy into the client will look it up.
    const WString text = name.ToText();
    const auto image = reader->Find(iconType, text, uint16_t{0});
    if (!image) continue;
    const auto size = IconImageSizeOf(image->bytes);
    if (!size || size->width != size->height) continue;
    std::vector<WString>* list = nullptr;
    if (size->width == 32 && catalogue.large.size() < kIconListLimit) list = &catalogue.large;
    else if (size->width == 16 && catalogue.small.size() < kIconListLimit) list = &catalogue.small;
    if (!list) continue;
    list->push_back(text);
    if (listed) listed(list == &catalogue.large, text, image->bytes);
  }
  return catalogue;
}

void ReportMissingIcons(const IconCatalogue& catalogue, Prompt& prompt) {
  if (catalogue.large.empty())
    prompt.ShowBalloon(kLargeIconListField, kInvalidParametersCaption, kNoLargeIconsMessage,
                       MessageIcon::Error);
  if (catalogue.small.empty())
    prompt.ShowBalloon(kSmallIconListField, kInvalidParametersCaption, kNoSmallIconsMessage,
                       MessageIcon::Error);
}

WString DefaultIconSource(const WString& toolFolder) {
#ifdef _WIN32
  wchar_t folder[MAX_PATH + 1] = {};
  const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  if (n > 0 && n <= MAX_PATH)
    return text::JoinHostPath(text::FromPath(std::filesystem::path(folder)), u"SHELL32.dll");
#endif
  return StubPath(toolFolder);
}

}  // namespace tidewell
