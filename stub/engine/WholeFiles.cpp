#include "WholeFiles.h"

namespace tidewatch::engine {

std::optional<std::string> ReadWholeFile(FileSystem& files, const std::u16string& path, std::uint64_t limit,
                                         Failure& failure) {
  auto reader = files.OpenRead(path, failure);
  if (!reader) return std::nullopt;
  if (reader->Size() > limit) {
    failure = {"the file is larger than " + std::to_string(limit) + " bytes", 0};
    return std::nullopt;
  }
  std::string bytes;
  std::uint8_t buffer[16384];
  while (true) {
    std::size_t got = 0;
    if (!reader->Read(buffer, sizeof buffer, got, failure)) return std::nullopt;
    if (got == 0) return bytes;
    bytes.append(reinterpret_cast<const char*>(buffer), got);
    if (bytes.size() > limit) {
      failure = {"the file is larger than " + std::to_string(limit) + " bytes", 0};
      return std::nullopt;
    }
  }
}

bool WriteWholeFile(FileSystem& files, const std::u16string& path, std::string_view bytes, Failure& failure) {
  auto writer = files.OpenWrite(path, false, failure);
  return writer && writer->Write(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), failure) &&
         writer->Flush(failure);
}

}  // namespace tidewatch::engine
