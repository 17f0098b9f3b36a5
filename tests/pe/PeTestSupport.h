#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "pe/PeResourceReader.h"

namespace tidewell::pe::testing {

// The test program built from fixtures/ with MinGW at build time: its
// resource section is followed by .reloc (and, unstripped, by debug sections
// and a COFF symbol table after the last section).
bool HaveFixtures();
std::filesystem::path FixtureExe();          // unstripped
std::filesystem::path StrippedFixtureExe();  // linked with -s
std::filesystem::path FixtureImagesDir();    // the pictures the script includes

// The wine installation's own Windows programs and libraries.
std::filesystem::path WineLibraryDir();
std::vector<std::filesystem::path> WineLibraries();  // sorted by name

// A string-table block: sixteen counted UTF-16LE strings.
std::string StringTableBytes(const std::vector<std::u16string>& strings);

// Runs a shell command, returns its exit status and standard output.
struct CommandResult {
  int status = -1;
  std::string output;
};
CommandResult RunCommand(const std::string& command);
// Whether the build host's tools (python3-pefile, wine) can be run; the
// Windows build's tests cannot reach them.
bool HaveHostTools();
inline constexpr const char* kHostToolsOnly = "python3-pefile and wine run on the Linux build host only";
std::string Quote(const std::filesystem::path& path);

// Runs tests/pe/PeListing.py (python3-pefile) with a command and files.
std::string Pefile(const std::string& command, const std::vector<std::filesystem::path>& files);

// Our reader's view in PeListing.py's "resources" format.
std::string ResourceListing(const std::filesystem::path& file);

uint32_t Crc32(std::string_view bytes);

// The PE checksum computed word by word, as the format describes it, for
// checking the editor's own computation.
uint32_t ReferenceChecksum(std::string_view file, uint64_t checkSumOffset);

// Little-endian access to a file held in memory.
uint32_t GetU32(std::string_view bytes, uint64_t at);
void SetU32(std::string& bytes, uint64_t at, uint32_t value);
void SetU16(std::string& bytes, uint64_t at, uint16_t value);

}  // namespace tidewell::pe::testing
