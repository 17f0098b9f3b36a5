#include "PeTestSupport.h"

#ifndef _WIN32
#include <sys/wait.h>
#endif
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>

#include "text/Text.h"

namespace tidewell::pe::testing {

namespace fs = std::filesystem;

bool HaveFixtures() {
#ifdef TIDEWELL_PE_FIXTURE_DIR
  return fs::exists(FixtureExe()) && fs::exists(StrippedFixtureExe());
#else
  return false;
#endif
}

#ifdef TIDEWELL_PE_FIXTURE_DIR
fs::path FixtureExe() { return fs::path(TIDEWELL_PE_FIXTURE_DIR) / "pe-fixture.exe"; }
fs::path StrippedFixtureExe() {
  return fs::path(TIDEWELL_PE_FIXTURE_DIR) / "pe-fixture-stripped.exe";
}
fs::path FixtureImagesDir() { return fs::path(TIDEWELL_PE_FIXTURE_DIR) / "images"; }
#else
fs::path FixtureExe() { return {}; }
fs::path StrippedFixtureExe() { return {}; }
fs::path FixtureImagesDir() { return {}; }
#endif

fs::path WineLibraryDir() { return "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows"; }

std::vector<fs::path> WineLibraries() {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(WineLibraryDir(), ec))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::string StringTableBytes(const std::vector<std::u16string>& strings) {
  std::string bytes;
  for (size_t i = 0; i < 16; ++i) {
    const std::u16string s = i < strings.size() ? strings[i] : std::u16string();
    bytes.push_back(static_cast<char>(s.size() & 0xFF));
    bytes.push_back(static_cast<char>(s.size() >> 8));
    for (char16_t c : s) {
      bytes.push_back(static_cast<char>(c & 0xFF));
      bytes.push_back(static_cast<char>(c >> 8));
    }
  }
  return bytes;
}

std::string Quote(const fs::path& path) {
  std::string quoted = "'";
  for (char c : path.string()) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

#ifdef _WIN32

// The commands are shell lines for the build host's tools (python3-pefile,
// wine); the Windows build has neither, so nothing runs.
CommandResult RunCommand(const std::string&) { return {}; }

bool HaveHostTools() { return false; }

#else

bool HaveHostTools() { return true; }

CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  std::array<char, 65536> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
    result.output.append(buffer.data(), n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

#endif

std::string Pefile(const std::string& command, const std::vector<fs::path>& files) {
  std::string line = "/usr/bin/python3 " +
                     Quote(fs::path(TIDEWELL_SOURCE_DIR) / "tests/pe/PeListing.py") + " " + command;
  for (const fs::path& f : files) line += " " + Quote(f);
  return RunCommand(line).output;
}

std::string ResourceListing(const fs::path& file) {
  std::string out = "file " + file.filename().string() + "\n";
  std::string error;
  const auto reader = PeResourceReader::Open(file, &error);
  if (!reader) return out + "error " + error + "\n";
  for (const ResourceId& type : reader->Types())
    for (const ResourceId& name : reader->Names(type))
      for (uint16_t language : reader->Languages(type, name)) {
        const auto bytes = reader->Read(type, name, language);
        char crc[16];
        std::snprintf(crc, sizeof crc, "%08x", bytes ? Crc32(*bytes) : 0u);
        out += text::ToUtf8(type.ToText()) + " " + text::ToUtf8(name.ToText()) + " " +
               std::to_string(language) + " " + std::to_string(bytes ? bytes->size() : 0) + " " +
               crc + "\n";
      }
  return out;
}

uint32_t Crc32(std::string_view bytes) {
  return static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

uint32_t ReferenceChecksum(std::string_view file, uint64_t checkSumOffset) {
  uint32_t sum = 0;
  for (uint64_t i = 0; i < file.size(); i += 2) {
    uint32_t word = static_cast<uint8_t>(file[i]);
    if (i + 1 < file.size()) word |= static_cast<uint32_t>(static_cast<uint8_t>(file[i + 1])) << 8;
    if (i >= checkSumOffset && i < checkSumOffset + 4) word = 0;
    sum += word;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return sum + static_cast<uint32_t>(file.size());
}

uint32_t GetU32(std::string_view bytes, uint64_t at) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= uint32_t{static_cast<uint8_t>(bytes[at + i])} << (8 * i);
  return value;
}

void SetU32(std::string& bytes, uint64_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

void SetU16(std::string& bytes, uint64_t at, uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

}  // namespace tidewell::pe::testing
