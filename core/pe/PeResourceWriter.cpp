#include "pe/PeResourceWriter.h"

#include <algorithm>
#include <string>
#include <system_error>
#include <thread>

#include "pe/FilePlan.h"
#include "pe/FileWriter.h"
#include "pe/PeChecksum.h"
#include "pe/ResourceFormat.h"
#include "pe/ResourceSectionBuilder.h"

namespace tidewell::pe {

namespace {

constexpr uint32_t kDebugEntrySize = 28;
constexpr uint32_t kDebugPointerToRawData = 24;
constexpr char kResourceSectionName[] = ".rsrc";
constexpr uint32_t kPageSize = 0x1000;
constexpr char kFileTooLarge[] = "the file would become too large";
constexpr char kNoAddressSpace[] = "the image has no address space left";

bool Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

bool Overlaps(uint64_t a, uint64_t aSize, uint64_t b, uint64_t bSize) {
  return a < b + bSize && b < a + aSize;
}

// Whether the section at `index` holds the resource directory and nothing
// else that another directory points at, so that it can be rewritten.
bool ResourcesOwnSection(const PeImage& image, size_t index) {
  const SectionHeader& s = image.Sections()[index];
  if (s.virtualAddress != image.Directory(kResourceDirectory).address) return false;
  if (s.sizeOfRawData == 0 || s.pointerToRawData < image.SizeOfHeaders()) return false;
  const uint64_t span = s.VirtualEnd(image.SectionAlignment()) - s.virtualAddress;
  for (uint32_t d = 0; d < image.NumberOfDirectories(); ++d) {
    if (d == kResourceDirectory || d == kCertificateTable) continue;
    const DataDirectory dir = image.Directory(d);
    if (dir.address != 0 && Overlaps(dir.address, std::max(dir.size, 1u), s.virtualAddress, span))
      return false;
  }
  for (size_t i = 0; i < image.Sections().size(); ++i) {
    const SectionHeader& o = image.Sections()[i];
    if (i != index && o.sizeOfRawData != 0 &&
        Overlaps(o.pointerToRawData, o.sizeOfRawData, s.pointerToRawData, s.sizeOfRawData))
      return false;
  }
  return true;
}

// The lowest RVA of a section above `rva`, if any.
std::optional<uint64_t> NextSectionStart(const PeImage& image, uint32_t rva) {
  std::optional<uint64_t> next;
  for (const SectionHeader& s : image.Sections())
    if (s.virtualAddress > rva && (!next || s.virtualAddress < *next)) next = s.virtualAddress;
  return next;
}

// The first RVA past everything the image occupies: the headers, and every
// section's loaded span and raw span (a section whose raw data is longer
// than its virtual size still maps that data at its addresses).
uint64_t ImageEnd(const PeImage& image, const std::vector<SectionHeader>& sections) {
  uint64_t end = image.SizeOfHeaders();
  for (const SectionHeader& s : sections)
    end = std::max({end, s.VirtualEnd(image.SectionAlignment()),
                    uint64_t{s.virtualAddress} + s.sizeOfRawData});
  return end;
}

// The largest file an edit may write: the old file and the new resources,
// twice over, and a mebibyte for alignment. A layout that asks for more
// (a header that puts the section's raw data gigabytes away, or an
// alignment of gigabytes) is refused rather than padded with zeros.
constexpr uint64_t kLayoutSlack = uint64_t{1} << 20;

bool PlausibleSize(const PeImage& image, uint64_t sectionSize, uint64_t newFileSize,
                   std::string* error) {
  const uint64_t limit = 2 * (image.FileSize() + sectionSize) + kLayoutSlack;
  if (newFileSize <= limit) return true;
  return Fail(error, "the section layout of the file would make it " +
                         std::to_string(newFileSize) + " bytes long, far more than its " +
                         std::to_string(image.FileSize()) + " bytes and the new resources need");
}

// Room for one more section header: between the end of the section table and
// the end of the headers (and the first section's raw data), all zero, with
// no directory pointing there.
bool RoomForSectionHeader(const PeImage& image, std::string* error) {
  const uint64_t at =
      image.SectionTableOffset() + uint64_t{SectionHeader::kSize} * image.Sections().size();
  uint64_t limit = image.SizeOfHeaders();
  for (const SectionHeader& s : image.Sections())
    if (s.sizeOfRawData != 0) limit = std::min<uint64_t>(limit, s.pointerToRawData);
  bool room = at + SectionHeader::kSize <= limit;
  if (room) {
    const auto bytes = image.File().readBytes(at, SectionHeader::kSize);
    room = bytes && std::all_of(bytes->begin(), bytes->end(), [](uint8_t b) { return b == 0; });
  }
  for (uint32_t d = 0; room && d < image.NumberOfDirectories(); ++d) {
    const DataDirectory dir = image.Directory(d);
    if (d != kCertificateTable && dir.address != 0 &&
        Overlaps(dir.address, std::max(dir.size, 1u), at, SectionHeader::kSize))
      room = false;
  }
  if (!room)
    return Fail(error,
                "the resources do not fit in their section and the headers have no room for "
                "another section header");
  return true;
}

// Where the new bytes replace or join the old file: the bytes in
// [cutStart, cutEnd) give way to `replacement`; everything from cutEnd on
// moves by `delta`.
struct Splice {
  uint64_t cutStart = 0;
  uint64_t cutEnd = 0;
  int64_t delta = 0;
  std::string replacement;

  std::optional<uint32_t> Move(uint32_t offset) const {
    if (offset == 0 || offset < cutEnd) return offset;
    const int64_t moved = int64_t{offset} + delta;
    if (moved < 0 || moved > int64_t{0xFFFFFFFF}) return std::nullopt;
    return static_cast<uint32_t>(moved);
  }
};

void PutSectionHeader(std::string& headers, uint64_t at, const SectionHeader& s) {
  uint8_t* p = reinterpret_cast<uint8_t*>(headers.data()) + at;
  std::copy(s.name.begin(), s.name.end(), p);
  WriteU32(p + 8, s.virtualSize);
  WriteU32(p + 12, s.virtualAddress);
  WriteU32(p + 16, s.sizeOfRawData);
  WriteU32(p + 20, s.pointerToRawData);
  WriteU32(p + 24, s.pointerToRelocations);
  WriteU32(p + 28, s.pointerToLinenumbers);
  WriteU16(p + 32, s.numberOfRelocations);
  WriteU16(p + 34, s.numberOfLinenumbers);
  WriteU32(p + 36, s.characteristics);
}

void PutU32(std::string& headers, uint64_t at, uint32_t value) {
  WriteU32(reinterpret_cast<uint8_t*>(headers.data()) + at, value);
}

std::span<const uint8_t> SourceRange(const PeImage& image, uint64_t from, uint64_t to) {
  return *image.File().readBytes(from, to - from);
}

// Debug directory entries record the file offset of their data; those that
// point at moved bytes are patched in the plan.
bool MoveDebugPointers(const PeImage& image, const Splice& splice, FilePlan& plan,
                       std::string* error) {
  const DataDirectory dir = image.Directory(kDebugDirectory);
  if (dir.address == 0 || dir.size < kDebugEntrySize) return true;
  const auto offset = image.RvaToOffset(dir.address, dir.size);
  if (!offset) return true;  // not in the file: nothing there to keep right
  const auto entries = image.File().Sub(*offset, dir.size);
  const auto newOffset = splice.Move(static_cast<uint32_t>(*offset));
  if (!newOffset || (*offset >= splice.cutStart && *offset < splice.cutEnd)) return true;
  for (uint32_t at = 0; at + kDebugEntrySize <= dir.size; at += kDebugEntrySize) {
    const uint32_t pointer = *entries->readU32(at + kDebugPointerToRawData);
    const auto moved = splice.Move(pointer);
    if (!moved) return Fail(error, kFileTooLarge);
    if (*moved != pointer && !plan.PatchU32(*newOffset + at + kDebugPointerToRawData, *moved))
      return Fail(error, "the debug directory straddles the resource section");
  }
  return true;
}

}  // namespace

bool WriteImageWithResources(const PeImage& image, const EditTree& tree,
                             const std::filesystem::path& source,
                             const std::filesystem::path& target, CommitResult& result,
                             std::string* error) {
  if (image.NumberOfDirectories() <= kResourceDirectory)
    return Fail(error, kNoResourceDirectoryEntry);
  const uint32_t fileAlignment = image.FileAlignment();
  const uint32_t sectionAlignment = image.SectionAlignment();
  const bool lowAlignment = sectionAlignment < kPageSize;
  std::vector<SectionHeader> sections = image.Sections();
  const size_t oldSectionCount = sections.size();

  // Rewrite the resource section in place when the new one fits in its
  // address range.
  std::optional<size_t> reuse;
  std::optional<std::string> section;
  if (image.Directory(kResourceDirectory).address != 0)
    for (size_t i = 0; i < sections.size() && !reuse; ++i)
      if (ResourcesOwnSection(image, i)) reuse = i;
  if (reuse) {
    const uint32_t rva = sections[*reuse].virtualAddress;
    section = BuildResourceSection(tree, rva, error);
    if (!section) return false;
    const SectionHeader& s = sections[*reuse];
    const auto next = NextSectionStart(image, rva);
    const bool fitsInMemory = !next || rva + AlignUp(section->size(), sectionAlignment) <= *next;
    // Below page alignment every section's raw data must stay at its RVA:
    // the raw size may change only when nothing follows in the file.
    const bool rawMayChange =
        !lowAlignment || AlignUp(section->size(), fileAlignment) == s.sizeOfRawData ||
        uint64_t{s.pointerToRawData} + s.sizeOfRawData == image.OverlayOffset();
    if (!fitsInMemory || !rawMayChange) reuse.reset();
  }

  Splice splice;
  uint32_t resourceRva = 0;
  uint32_t sectionSize = 0;
  int64_t initializedDataChange = 0;
  if (reuse) {
    SectionHeader& s = sections[*reuse];
    sectionSize = static_cast<uint32_t>(section->size());
    // Grow or shrink by whole file-alignment units so the raw data after it
    // stays aligned.
    const int64_t grow = int64_t{sectionSize} - int64_t{s.sizeOfRawData};
    splice.delta = grow > 0
                       ? static_cast<int64_t>(AlignUp(static_cast<uint64_t>(grow), fileAlignment))
                       : -(-grow / fileAlignment * fileAlignment);
    splice.cutStart = s.pointerToRawData;
    splice.cutEnd = uint64_t{s.pointerToRawData} + s.sizeOfRawData;
    const uint32_t newRaw = static_cast<uint32_t>(int64_t{s.sizeOfRawData} + splice.delta);
    if (!PlausibleSize(image, sectionSize, image.FileSize() + splice.delta, error)) return false;
    splice.replacement = std::move(*section);
    splice.replacement.resize(newRaw, '\0');
    resourceRva = s.virtualAddress;
    s.virtualSize = sectionSize;
    s.sizeOfRawData = newRaw;
    if (s.characteristics & SectionHeader::kInitializedData) initializedDataChange = splice.delta;
  } else {
    if (!RoomForSectionHeader(image, error)) return false;
    const uint64_t rva = AlignUp(ImageEnd(image, sections), sectionAlignment);
    if (rva > 0xFFFFFFFFull) return Fail(error, kNoAddressSpace);
    resourceRva = static_cast<uint32_t>(rva);
    section = BuildResourceSection(tree, resourceRva, error);
    if (!section) return false;
    sectionSize = static_cast<uint32_t>(section->size());
    const uint64_t rawStart =
        lowAlignment ? resourceRva : AlignUp(image.OverlayOffset(), fileAlignment);
    if (rawStart < image.OverlayOffset())
      return Fail(error,
                  "the resources do not fit in their section, and in an image whose sections "
                  "are not page-aligned the bytes after the last section leave no place for them");
    const uint64_t rawSize = AlignUp(sectionSize, fileAlignment);
    if (rawStart + rawSize > 0xFFFFFFFFull) return Fail(error, kFileTooLarge);
    if (!PlausibleSize(image, sectionSize, image.FileSize() + (rawStart - image.OverlayOffset()) + rawSize, error))
      return false;
    splice.cutStart = splice.cutEnd = image.OverlayOffset();
    splice.replacement.assign(rawStart - image.OverlayOffset(), '\0');
    splice.replacement += *section;
    splice.replacement.resize(rawStart - image.OverlayOffset() + rawSize, '\0');
    splice.delta = static_cast<int64_t>(splice.replacement.size());
    SectionHeader s;
    std::copy_n(kResourceSectionName, sizeof kResourceSectionName - 1, s.name.begin());
    s.virtualSize = sectionSize;
    s.virtualAddress = resourceRva;
    s.sizeOfRawData = static_cast<uint32_t>(rawSize);
    s.pointerToRawData = static_cast<uint32_t>(rawStart);
    s.characteristics = SectionHeader::kInitializedData | SectionHeader::kMemoryRead;
    sections.push_back(s);
    initializedDataChange = static_cast<int64_t>(rawSize);
    result.resourceSectionMoved = true;
  }
  // SizeOfImage grows with the sections; a larger value than they need is
  // kept as it was.
  const uint64_t imageEnd = std::max<uint64_t>(
      image.SizeOfImage(), AlignUp(ImageEnd(image, sections), sectionAlignment));
  if (imageEnd > 0xFFFFFFFFull) return Fail(error, kNoAddressSpace);

  // The overlay is kept, except a certificate table that ends the file.
  uint64_t keepEnd = image.FileSize();
  const DataDirectory certificate = image.Directory(kCertificateTable);
  if (certificate.address != 0 || certificate.size != 0) {
    result.signatureRemoved = true;
    if (certificate.address >= image.OverlayOffset() &&
        uint64_t{certificate.address} + certificate.size == image.FileSize())
      keepEnd = certificate.address;
  }

  // The headers, with every field the new layout changes.
  const uint64_t headersSize = std::min<uint64_t>(image.SizeOfHeaders(), splice.cutStart);
  const auto headerBytes = image.File().readBytes(0, headersSize);
  std::string headers(reinterpret_cast<const char*>(headerBytes->data()), headerBytes->size());
  if (image.SectionTableOffset() + uint64_t{SectionHeader::kSize} * sections.size() >
      headers.size())
    return Fail(error, "the section table does not lie within the headers");
  for (size_t i = 0; i < sections.size(); ++i) {
    SectionHeader& s = sections[i];
    if (i < oldSectionCount && i != reuse) {
      const auto raw = splice.Move(s.pointerToRawData);
      const auto relocations = splice.Move(s.pointerToRelocations);
      const auto lines = splice.Move(s.pointerToLinenumbers);
      if (!raw || !relocations || !lines) return Fail(error, kFileTooLarge);
      s.pointerToRawData = *raw;
      s.pointerToRelocations = *relocations;
      s.pointerToLinenumbers = *lines;
    }
    PutSectionHeader(headers, image.SectionTableOffset() + uint64_t{SectionHeader::kSize} * i, s);
  }
  WriteU16(reinterpret_cast<uint8_t*>(headers.data()) + image.NumberOfSectionsOffset(),
           static_cast<uint16_t>(sections.size()));
  const auto symbols = splice.Move(image.PointerToSymbolTable());
  if (!symbols) return Fail(error, kFileTooLarge);
  PutU32(headers, image.PointerToSymbolTableOffset(), *symbols);
  PutU32(headers, image.SizeOfImageOffset(), static_cast<uint32_t>(imageEnd));
  const int64_t initialized = std::clamp<int64_t>(
      int64_t{image.SizeOfInitializedData()} + initializedDataChange, 0, 0xFFFFFFFF);
  PutU32(headers, image.SizeOfInitializedDataOffset(), static_cast<uint32_t>(initialized));
  PutU32(headers, image.DataDirectoryOffset(kResourceDirectory), resourceRva);
  PutU32(headers, image.DataDirectoryOffset(kResourceDirectory) + 4, sectionSize);
  if (result.signatureRemoved) {
    PutU32(headers, image.DataDirectoryOffset(kCertificateTable), 0);
    PutU32(headers, image.DataDirectoryOffset(kCertificateTable) + 4, 0);
  }
  PutU32(headers, image.CheckSumOffset(), 0);

  FilePlan plan;
  plan.AddOwned(std::move(headers));
  plan.AddSource(headersSize, SourceRange(image, headersSize, splice.cutStart));
  plan.AddOwned(std::move(splice.replacement));
  if (keepEnd > splice.cutEnd)
    plan.AddSource(splice.cutEnd, SourceRange(image, splice.cutEnd, keepEnd));
  if (!MoveDebugPointers(image, splice, plan, error)) return false;

  auto writer = FileWriter::Create(target, source, error);
  if (!writer) return false;
  // The checksum covers the whole new file: it is summed from the planned
  // pieces on a second thread while the file is written, then put into the
  // headers already written.
  bool written = false;
  std::optional<uint32_t> checkSum;
  if (image.CheckSum() == 0) {
    written = plan.WriteTo(*writer);
  } else {
    auto sum = [&plan] {
      PeChecksum checksum;
      plan.ForEach([&](std::span<const uint8_t> bytes) { checksum.Add(bytes); });
      return checksum.Finish();
    };
    std::thread worker;
    try {
      worker = std::thread([&] { checkSum = sum(); });
    } catch (const std::system_error&) {
      checkSum = sum();  // no second thread to be had: sum first
    }
    written = plan.WriteTo(*writer);
    if (worker.joinable()) worker.join();
    uint8_t field[4];
    WriteU32(field, *checkSum);
    written = written && writer->WriteAt(image.CheckSumOffset(), field);
    result.checkSumUpdated = true;
  }
  if (!written) return Fail(error, writer->Failure());
  return writer->Finish(error);
}

}  // namespace tidewell::pe
