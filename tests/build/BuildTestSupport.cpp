#include "build/BuildTestSupport.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace tidewell::testing {

namespace fs = std::filesystem;

bool HaveStub() {
#ifdef TIDEWATCH_STUB
  return fs::is_regular_file(TIDEWATCH_STUB);
#else
  return false;
#endif
}

fs::path BuiltStub() {
#ifdef TIDEWATCH_STUB
  return TIDEWATCH_STUB;
#else
  return {};
#endif
}

fs::path WineLibrary(std::string_view name) {
  return fs::path("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows") / name;
}

fs::path MakeToolFolder(const TempDir& dir) {
  const fs::path tool = dir / "tool";
  fs::create_directories(tool);
  fs::copy_file(BuiltStub(), tool / "Tidewatch.exe");
  return tool;
}

void StubProjectTest::SetUp() {
  if (!HaveStub()) GTEST_SKIP() << "the stub Tidewatch.exe was not built";
  tool = MakeToolFolder(dir);
  project = dir / "project";
  fs::create_directories(project);
  document.projectFolder = text::FromPath(project);
  document.projectFileName = u"Settings.xml";
  document.settings.SetSetting(SettingKey::ProjName, u"Demo");
}

void PutU16(std::string& bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

void PutU32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::string U16(uint16_t value) {
  std::string bytes(2, '\0');
  PutU16(bytes, 0, value);
  return bytes;
}

std::string U32(uint32_t value) {
  std::string bytes(4, '\0');
  PutU32(bytes, 0, value);
  return bytes;
}

std::string MakeBitmapFile(int32_t width, int32_t height, uint16_t bitCount, uint32_t gap) {
  const uint32_t colours = bitCount <= 8 ? (1u << bitCount) : 0;
  const uint32_t stride = (static_cast<uint32_t>(width) * bitCount + 31) / 32 * 4;
  const uint32_t rows = static_cast<uint32_t>(height < 0 ? -height : height);
  const uint32_t pixelsOffset = 14 + 40 + 4 * colours + gap;
  std::string file = "BM" + U32(pixelsOffset + stride * rows) + U32(0) + U32(pixelsOffset);
  file += U32(40) + U32(static_cast<uint32_t>(width)) + U32(static_cast<uint32_t>(height)) +
          U16(1) + U16(bitCount) + U32(0) + U32(stride * rows) + U32(2835) + U32(2835) +
          U32(0) + U32(0);
  for (uint32_t i = 0; i < colours; ++i) file += U32(i * 0x010101u);
  file += std::string(gap, '\x7E');
  for (uint32_t i = 0; i < stride * rows; ++i) file.push_back(static_cast<char>(i * 7 + 1));
  return file;
}

std::string MakeIconImage(int32_t width, int32_t height) {
  const uint32_t pixels = static_cast<uint32_t>(width * height) * 4;
  const uint32_t maskStride = (static_cast<uint32_t>(width) + 31) / 32 * 4;
  std::string image = U32(40) + U32(static_cast<uint32_t>(width)) +
                      U32(static_cast<uint32_t>(height * 2)) + U16(1) + U16(32) + U32(0) +
                      U32(pixels) + U32(0) + U32(0) + U32(0) + U32(0);
  for (uint32_t i = 0; i < pixels; ++i) image.push_back(static_cast<char>(i * 13 + width));
  image += std::string(maskStride * static_cast<uint32_t>(height), '\0');
  return image;
}

std::string MakePngImage(uint32_t width, uint32_t height) {
  auto be32 = [](uint32_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 8), static_cast<char>(v)};
  };
  // Each chunk: length, type, data, CRC-32 of type and data.
  auto chunk = [&be32](const std::string& type, const std::string& data) {
    uint32_t crc = 0xFFFFFFFF;
    for (unsigned char c : type + data) {
      crc ^= c;
      for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return be32(static_cast<uint32_t>(data.size())) + type + data + be32(~crc);
  };
  return std::string("\x89PNG\r\n\x1a\n", 8) +
         chunk("IHDR", be32(width) + be32(height) + std::string("\x08\x06\x00\x00\x00", 5)) +
         chunk("IDAT", std::string("\x78\x01", 2)) + chunk("IEND", "");
}

std::string Hex(std::string_view bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char c : bytes) {
    hex.push_back(kDigits[c >> 4]);
    hex.push_back(kDigits[c & 0xF]);
  }
  return hex;
}

namespace {

std::string RunPefile(const std::string& command, const fs::path& file) {
  const std::string line = std::string("/usr/bin/python3 '") + TIDEWELL_SOURCE_DIR +
                           "/tests/build/ClientResources.py' " + command + " '" + file.string() +
                           "' 2>&1";
  std::string output;
  FILE* pipe = popen(line.c_str(), "r");
  if (!pipe) return output;
  char buffer[65536];
  size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  pclose(pipe);
  return output;
}

}  // namespace

std::string PefileResources(const fs::path& file) { return RunPefile("resources", file); }
std::string PefileIcons(const fs::path& file) { return RunPefile("icons", file); }

std::optional<std::string> ListedResource(const std::string& listing, std::string_view type,
                                          std::string_view name, uint16_t language) {
  std::istringstream lines(listing);
  std::string t, n, hex;
  unsigned lang = 0, size = 0;
  while (lines >> t >> n >> lang >> size >> hex)
    if (t == type && n == name && lang == language) return hex;
  return std::nullopt;
}

namespace {

uint64_t CertificateDirectoryOffset(const std::string& bytes) {
  const uint32_t ntHeaders = static_cast<uint8_t>(bytes[0x3C]) |
                             static_cast<uint8_t>(bytes[0x3D]) << 8;
  const uint64_t optional = ntHeaders + 4 + 20;
  const bool pe32Plus = static_cast<uint8_t>(bytes[optional]) == 0x0B &&
                        static_cast<uint8_t>(bytes[optional + 1]) == 0x02;
  return optional + (pe32Plus ? 112 : 96) + 8 * 4;
}

uint32_t GetU32(const std::string& bytes, uint64_t at) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

}  // namespace

void AddCertificateTable(const fs::path& file) {
  std::string bytes = ReadBytes(file);
  bytes.append((8 - bytes.size() % 8) % 8, '\0');
  const uint32_t offset = static_cast<uint32_t>(bytes.size());
  const std::string blob(40, '\x5A');
  const uint32_t length = 8 + static_cast<uint32_t>(blob.size());
  bytes += U32(length) + U16(0x0200) + U16(0x0002) + blob;
  const uint64_t directory = CertificateDirectoryOffset(bytes);
  PutU32(bytes, directory, offset);
  PutU32(bytes, directory + 4, length);
  WriteBytes(file, bytes);
}

std::pair<uint32_t, uint32_t> CertificateDirectory(const fs::path& file) {
  const std::string bytes = ReadBytes(file);
  const uint64_t directory = CertificateDirectoryOffset(bytes);
  return {GetU32(bytes, directory), GetU32(bytes, directory + 4)};
}

}  // namespace tidewell::testing
