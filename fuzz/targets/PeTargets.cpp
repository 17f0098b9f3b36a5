// Modules: the headers and resource directory read from memory and through
// the mapped-file reader, the icon catalogue and the version record.
#include <cstdint>
#include <span>
#include <string>

#include "FuzzTarget.h"
#include "build/IconCatalogue.h"
#include "pe/IconImage.h"
#include "pe/PeImage.h"
#include "pe/PeResourceReader.h"
#include "pe/PeVersion.h"
#include "pe/ResourceParser.h"
#include "targets/Targets.h"
#include "text/Text.h"

namespace tidewell::fuzz {

namespace {

std::span<const uint8_t> Bytes(std::string_view input) {
  return {reinterpret_cast<const uint8_t*>(input.data()), input.size()};
}

// Every resource the tree lists is read through the image; what is found
// must lie inside the file.
void ReadEveryResource(const pe::PeImage& image, const pe::ResourceTree& tree) {
  for (const pe::ResourceType& type : tree.types)
    for (const pe::ResourceName& name : type.names)
      for (const pe::ResourceLanguage& language : name.languages) {
        const std::optional<uint64_t> offset = image.RvaToOffset(language.data.rva, language.data.size);
        if (!offset) continue;
        Expect(*offset <= image.FileSize() && language.data.size <= image.FileSize() - *offset,
               "a resource's offset lies outside the file");
        const auto bytes = image.ReadRva(language.data.rva, language.data.size);
        Expect(bytes && bytes->size() == language.data.size,
               "a resource whose offset was found cannot be read whole");
      }
}

void ReadThroughReader(const std::filesystem::path& path) {
  std::string error;
  const std::optional<pe::PeResourceReader> reader = pe::PeResourceReader::Open(path, &error);
  if (!reader) return;
  for (const pe::ResourceId& type : reader->Types())
    for (const pe::ResourceId& name : reader->Names(type)) {
      for (uint16_t language : reader->Languages(type, name)) {
        const std::optional<std::string> bytes = reader->Read(type, name, language);
        if (bytes) Expect(bytes->size() <= reader->Image().FileSize(), "a resource outgrows its file");
      }
      if (const auto found = reader->Find(type, name.ToText()))
        Expect(found->bytes.size() <= reader->Image().FileSize(), "a found resource outgrows its file");
    }
}

}  // namespace

void RunPeReader(std::string_view input) {
  std::string error;
  const std::optional<pe::PeImage> image = pe::PeImage::Parse(Bytes(input), &error);
  if (image) {
    Expect(image->OverlayOffset() <= image->FileSize(), "the overlay starts past the file's end");
    const std::optional<pe::ResourceTree> tree = pe::ParseResources(*image, &error);
    if (tree) ReadEveryResource(*image, *tree);
  }
  const std::filesystem::path path = WriteScratchFile("module.dll", input);
  ReadThroughReader(path);
  const IconCatalogue catalogue = ReadIconCatalogue(text::FromPath(path));
  Expect(catalogue.large.size() <= kIconListLimit && catalogue.small.size() <= kIconListLimit,
         "an icon list outgrows its limit");
}

void RunVersionReader(std::string_view input) {
  const std::optional<pe::FixedFileInfo> fromBytes = pe::ParseFixedFileInfo(input);
  if (fromBytes) Expect(fromBytes->signature == 0xFEEF04BD, "a version record without its signature");
  const std::optional<pe::FixedFileInfo> fromFile =
      pe::ReadFixedFileInfo(WriteScratchFile("version.exe", input));
  if (fromFile) Expect(fromFile->signature == 0xFEEF04BD, "a module's version record without its signature");
}

void RunIconImage(std::string_view input) {
  const std::optional<pe::IconImageSize> size = pe::ReadIconImageSize(input);
  if (size) Expect(size->width > 0 && size->height > 0, "an icon image of no size");
  const std::optional<pe::IconImageSize> checked = IconImageSizeOf(input);
  if (checked) {
    Expect(checked->width > 0 && checked->height > 0, "a checked icon image of no size");
    Expect(size.has_value(), "an icon image whose header cannot be read has a size");
  }
}

}  // namespace tidewell::fuzz
