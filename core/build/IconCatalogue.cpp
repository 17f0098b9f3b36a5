#include "build/IconCatalogue.h"

#include <set>

#include "build/ToolFolder.h"
#include "pe/PeResourceReader.h"
#include "text/Text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace tidewell {

std::optional<pe::IconImageSize> IconImageSizeOf(std::string_view image) {
  if (!pe::IsCompleteIconImage(image)) return std::nullopt;
  return pe::ReadIconImageSize(image);
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
  // Entries that point at one stored name find the same image: it is looked
  // up once.
  std::set<const WString*> seenNames;
  for (const pe::ResourceId& name : reader->Names(iconType)) {
    if (!name.IsInteger() && !seenNames.insert(name.NameStorage()).second) continue;
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
