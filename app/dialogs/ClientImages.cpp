#include "dialogs/ClientImages.h"

#include <cstdint>
#include <string>

#include "build/ClientPicture.h"
#include "build/ClientStringTable.h"
#include "dialogs/IconImages.h"
#include "pe/PeResourceReader.h"
#include "pe/ResourceId.h"
#include "text/Text.h"

namespace tidewell::app {

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kCoreHeaderSize = 12;  // the OS/2 header: 3-byte colour entries
constexpr uint32_t kInfoHeaderSize = 40;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kAlphaBitFields = 6;

uint32_t ReadLe(std::string_view bytes, size_t offset, size_t size) {
  uint32_t value = 0;
  for (size_t i = 0; i < size; ++i)
    value |= uint32_t{static_cast<uint8_t>(bytes[offset + i])} << (8 * i);
  return value;
}

void AppendLe(std::string& out, uint32_t value, size_t size) {
  for (size_t i = 0; i < size; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xff));
}

QImage ImageOf(const pe::PeResourceReader& reader, uint16_t type, uint16_t id) {
  const auto found =
      reader.Find(pe::ResourceId::Integer(type), text::FromUtf8("#" + std::to_string(id)));
  if (!found) return {};
  return type == pe::kTypeBitmap ? PackedBitmapImage(found->bytes) : DecodeIconImage(found->bytes);
}

}  // namespace

QImage PackedBitmapImage(std::string_view resource) {
  if (resource.size() < kCoreHeaderSize) return {};
  const uint32_t headerSize = ReadLe(resource, 0, 4);
  if (headerSize < kCoreHeaderSize || headerSize > resource.size()) return {};
  size_t colours = 0;
  size_t entrySize = 4;
  size_t masks = 0;
  if (headerSize == kCoreHeaderSize) {
    const uint32_t bits = ReadLe(resource, 10, 2);
    colours = bits <= 8 ? size_t{1} << bits : 0;
    entrySize = 3;
  } else {
    if (resource.size() < kInfoHeaderSize) return {};
    const uint32_t bits = ReadLe(resource, 14, 2);
    const uint32_t compression = ReadLe(resource, 16, 4);
    const uint32_t used = ReadLe(resource, 32, 4);
    colours = used != 0 ? used : (bits <= 8 ? size_t{1} << bits : 0);
    if (colours > 256 && bits <= 8) return {};
    if (headerSize == kInfoHeaderSize)
      masks = compression == kBitFields ? 12 : compression == kAlphaBitFields ? 16 : 0;
  }
  const size_t pixels = headerSize + masks + colours * entrySize;
  if (pixels > resource.size()) return {};
  // A .bmp file is the resource behind a file header that says where the
  // pixels start.
  std::string file = "BM";
  AppendLe(file, static_cast<uint32_t>(kFileHeaderSize + resource.size()), 4);
  AppendLe(file, 0, 4);
  AppendLe(file, static_cast<uint32_t>(kFileHeaderSize + pixels), 4);
  file.append(resource);
  return QImage::fromData(reinterpret_cast<const uchar*>(file.data()),
                          static_cast<int>(file.size()), "BMP");
}

ClientImages ReadClientImages(const WString& clientPath) {
  ClientImages images;
  if (clientPath.empty()) return images;
  const auto reader = pe::PeResourceReader::Open(text::ToPath(clientPath), nullptr);
  if (!reader) return images;
  images.main = ImageOf(*reader, pe::kTypeBitmap, PictureResourceId(ClientPicture::Main));
  images.top = ImageOf(*reader, pe::kTypeBitmap, PictureResourceId(ClientPicture::Top));
  images.largeIcon = ImageOf(*reader, pe::kTypeIcon, kLargeIconId);
  images.smallIcon = ImageOf(*reader, pe::kTypeIcon, kSmallIconId);
  return images;
}

}  // namespace tidewell::app
