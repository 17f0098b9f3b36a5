#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "build/ClientBuilder.h"
#include "build/ProcessStarter.h"
#include "project/ProjectDocument.h"
#include "support/ScriptedPrompt.h"
#include "support/TempDir.h"
#include "text/Text.h"

namespace tidewell::testing {

// The stub built beside the tools (Tidewatch.exe), when MinGW built it.
bool HaveStub();
std::filesystem::path BuiltStub();
// The wine installation's Windows libraries, when wine is installed.
std::filesystem::path WineLibrary(std::string_view name);

// A tool folder in `dir` holding a copy of the stub as Tidewatch.exe.
std::filesystem::path MakeToolFolder(const TempDir& dir);

// A .bmp file: 14-byte file header, 40-byte information header, colour table
// for 8 bits and fewer, bottom-up rows padded to four bytes. `gap` extra
// bytes lie between the colour table and the pixels.
std::string MakeBitmapFile(int32_t width, int32_t height, uint16_t bitCount, uint32_t gap = 0);

// Icon images as stored in RT_ICON: a bitmap information header whose
// height counts both masks, 32-bit pixels and the transparency mask; or a PNG
// image's signature and header chunk.
std::string MakeIconImage(int32_t width, int32_t height);
std::string MakePngImage(uint32_t width, uint32_t height);

// Little-endian writes.
void PutU16(std::string& bytes, size_t at, uint16_t value);
void PutU32(std::string& bytes, size_t at, uint32_t value);
std::string U16(uint16_t value);
std::string U32(uint32_t value);

std::string Hex(std::string_view bytes);

// python3-pefile's view (tests/build/ClientResources.py).
// Whether python3-pefile can be run: on the Linux build host only, not from
// the Windows build's tests.
#ifdef _WIN32
inline bool HaveHostPefile() { return false; }
#else
inline bool HaveHostPefile() { return true; }
#endif
inline constexpr const char* kHostPefileOnly = "python3-pefile runs on the Linux build host only";
std::string PefileResources(const std::filesystem::path& file);
std::string PefileIcons(const std::filesystem::path& file);
// The data of one resource from a "resources" listing as hex ("-" when
// empty); nullopt when the listing has no such resource.
std::optional<std::string> ListedResource(const std::string& listing, std::string_view type,
                                          std::string_view name, uint16_t language);

// Gives a PE file a certificate table (an Authenticode signature's place):
// a WIN_CERTIFICATE appended after the file, named by data directory 4.
void AddCertificateTable(const std::filesystem::path& file);
// Data directory 4 of a PE file: file offset and size of the certificate
// table.
std::pair<uint32_t, uint32_t> CertificateDirectory(const std::filesystem::path& file);

// A project named Demo in its own folder, the stub in a tool folder and a
// client builder over them; skipped when the stub was not built.
class StubProjectTest : public ::testing::Test {
 protected:
  void SetUp() override;

  TempDir dir;
  std::filesystem::path tool, project;
  ProjectDocument document;
  ScriptedPrompt prompt;
  ClientBuilder builder{prompt, text::FromPath(dir / "tool")};
};

// Records what would be started, and answers as told.
class RecordingStarter final : public ProcessStarter {
 public:
  bool Start(const ProcessRequest& request) override {
    started.push_back(request);
    return startSucceeds;
  }
  std::optional<WString> FindProgram(std::u16string_view name) const override {
    for (const auto& [known, path] : programs)
      if (known == name) return path;
    return std::nullopt;
  }

  std::vector<ProcessRequest> started;
  std::vector<std::pair<WString, WString>> programs;  // name, path found
  bool startSucceeds = true;
};

}  // namespace tidewell::testing
