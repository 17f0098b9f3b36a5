// Writes the starting corpus of every fuzz target from small valid inputs made
// here: project documents, modules whose resources our own editor wrote,
// icon images, bitmaps, a zip archive, variable scripts, and what the update
// client reads: a server update file, a signature file and a journal.
//
//   tidewell-fuzz-seeds <corpus folder> <example project template>
#include <zip.h>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "InstallationState.h"
#include "Journal.h"
#include "pe/ResourceId.h"
#include "pe/ResourceUpdate.h"
#include "signing/Sha256.h"
#include "signing/SignatureFile.h"

namespace fs = std::filesystem;
using tidewell::pe::ResourceId;

namespace {

void PutU16(std::string& out, size_t at, uint16_t value) {
  out[at] = static_cast<char>(value & 0xFF);
  out[at + 1] = static_cast<char>(value >> 8);
}
void PutU32(std::string& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}
std::string U16(uint16_t value) {
  std::string out(2, '\0');
  PutU16(out, 0, value);
  return out;
}
std::string U32(uint32_t value) {
  std::string out(4, '\0');
  PutU32(out, 0, value);
  return out;
}
std::string U32Be(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16 & 0xFF),
          static_cast<char>(value >> 8 & 0xFF), static_cast<char>(value & 0xFF)};
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A module with one section holding an empty resource directory (PE32 or
// PE32+), an optional code section before it and bytes after the last
// section.
std::string EmptyModule(bool pe32Plus, bool withCode, const std::string& overlay) {
  constexpr uint32_t kNt = 0x40, kFileHeader = kNt + 4, kOptional = kFileHeader + 20;
  const uint32_t optionalSize = pe32Plus ? 240 : 224;
  const uint16_t sections = withCode ? 2 : 1;
  std::string file(0x200, '\0');
  file[0] = 'M';
  file[1] = 'Z';
  PutU32(file, 0x3C, kNt);
  file.replace(kNt, 4, std::string("PE\0\0", 4));
  PutU16(file, kFileHeader, pe32Plus ? 0x8664 : 0x14C);
  PutU16(file, kFileHeader + 2, sections);
  PutU16(file, kFileHeader + 16, static_cast<uint16_t>(optionalSize));
  PutU16(file, kFileHeader + 18, pe32Plus ? 0x22 : 0x102);
  PutU16(file, kOptional, pe32Plus ? 0x20B : 0x10B);
  PutU32(file, kOptional + 32, 0x1000);  // section alignment
  PutU32(file, kOptional + 36, 0x200);   // file alignment
  PutU16(file, kOptional + 40, 6);       // operating system version
  PutU16(file, kOptional + 48, 6);       // subsystem version
  PutU32(file, kOptional + 56, 0x1000 * (1 + sections));  // size of image
  PutU32(file, kOptional + 60, 0x200);   // size of headers
  PutU16(file, kOptional + 68, 2);       // Windows GUI
  const uint32_t directories = kOptional + (pe32Plus ? 112 : 96);
  PutU32(file, directories - 4, 16);
  const uint32_t resourceRva = withCode ? 0x2000 : 0x1000;
  PutU32(file, directories + 8 * 2, resourceRva);
  PutU32(file, directories + 8 * 2 + 4, 16);

  uint32_t table = kOptional + optionalSize;
  uint32_t raw = 0x200;
  auto addSection = [&](const char* name, uint32_t rva, const std::string& data, uint32_t flags) {
    file.replace(table, std::char_traits<char>::length(name), name);
    PutU32(file, table + 8, static_cast<uint32_t>(data.size()));
    PutU32(file, table + 12, rva);
    PutU32(file, table + 16, 0x200);
    PutU32(file, table + 20, raw);
    PutU32(file, table + 36, flags);
    std::string block = data;
    block.resize(0x200, '\0');
    file += block;
    table += 40;
    raw += 0x200;
  };
  if (withCode) addSection(".text", 0x1000, std::string("\xC3", 1), 0x60000020);
  addSection(".rsrc", resourceRva, std::string(16, '\0'), 0x40000040);
  return file + overlay;
}

std::string StringBlock(const std::vector<std::u16string>& strings) {
  std::string block;
  for (size_t i = 0; i < 16; ++i) {
    const std::u16string text = i < strings.size() ? strings[i] : std::u16string();
    block += U16(static_cast<uint16_t>(text.size()));
    for (char16_t c : text) block += U16(c);
  }
  return block;
}

std::string VersionResource() {
  std::string key;
  for (char c : std::string("VS_VERSION_INFO")) key += U16(static_cast<uint16_t>(c));
  key += U16(0);
  std::string fixed = U32(0xFEEF04BD) + U32(0x10000) + U32(0x10002) + U32(0x30004) +
                      U32(0x10002) + U32(0x30004) + U32(0x3F) + U32(0) + U32(0x40004) + U32(1) +
                      U32(0) + U32(0) + U32(0);
  std::string record = U16(0) + U16(static_cast<uint16_t>(fixed.size())) + U16(0) + key;
  record.resize((record.size() + 3) / 4 * 4, '\0');
  record += fixed;
  PutU16(record, 0, static_cast<uint16_t>(record.size()));
  return record;
}

// An icon image: a bitmap information header whose height counts both
// masks, 32-bit colour, then the pixels and the transparency mask.
std::string BitmapIcon(int32_t side) {
  std::string header = U32(40) + U32(static_cast<uint32_t>(side)) +
                       U32(static_cast<uint32_t>(2 * side)) + U16(1) + U16(32) + U32(0) +
                       U32(0) + U32(0) + U32(0) + U32(0) + U32(0);
  const size_t maskRow = (static_cast<size_t>(side) + 31) / 32 * 4;
  return header + std::string(static_cast<size_t>(side * side * 4), '\x40') +
         std::string(maskRow * static_cast<size_t>(side), '\0');
}

std::string PngChunk(const std::string& type, const std::string& data) {
  const std::string typed = type + data;
  const uint32_t crc = static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size())));
  return U32Be(static_cast<uint32_t>(data.size())) + typed + U32Be(crc);
}

std::string PngIcon(uint32_t side) {
  const std::string header = U32Be(side) + U32Be(side) + std::string("\x08\x06\x00\x00\x00", 5);
  return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) + PngChunk("IEND", "");
}

std::string IconGroup(const std::vector<std::pair<uint8_t, uint16_t>>& images) {
  std::string group = U16(0) + U16(1) + U16(static_cast<uint16_t>(images.size()));
  for (const auto& [side, id] : images) {
    const size_t bytes = BitmapIcon(side).size();
    group += std::string{static_cast<char>(side), static_cast<char>(side), 0, 0};
    group += U16(1) + U16(32) + U32(static_cast<uint32_t>(bytes)) + U16(id);
  }
  return group;
}

// A bitmap file: header, information header, colour table and pixel rows
// padded to four bytes.
std::string BitmapFile(int32_t width, int32_t height, uint16_t bitCount, uint32_t colours) {
  const uint32_t rowBytes = (static_cast<uint32_t>(width) * bitCount + 31) / 32 * 4;
  const uint32_t pixels = rowBytes * static_cast<uint32_t>(height < 0 ? -height : height);
  const uint32_t offset = 14 + 40 + 4 * colours;
  std::string file = "BM" + U32(offset + pixels) + U32(0) + U32(offset);
  file += U32(40) + U32(static_cast<uint32_t>(width)) + U32(static_cast<uint32_t>(height)) +
          U16(1) + U16(bitCount) + U32(0) + U32(pixels) + U32(2835) + U32(2835) + U32(colours) +
          U32(0);
  for (uint32_t i = 0; i < colours; ++i) file += U32(i * 0x00102030u);
  for (uint32_t i = 0; i < pixels; ++i) file += static_cast<char>(i * 7);
  return file;
}

std::string CoreBitmapFile() {
  // A 1-bit 8 x 2 bitmap with the older 12-byte header.
  std::string file = "BM" + U32(14 + 12 + 6 + 8) + U32(0) + U32(14 + 12 + 6);
  file += U32(12) + U16(8) + U16(2) + U16(1) + U16(1);
  file += std::string("\0\0\0\xFF\xFF\xFF", 6);
  file += std::string("\xAA\0\0\0\x55\0\0\0", 8);
  return file;
}

// A module written by our editor from an empty one, so the starting inputs hold what
// the tool itself writes: strings, a version, icons, a bitmap, a named type.
std::string ModuleWithResources(const fs::path& scratch, bool pe32Plus, bool withCode,
                                const std::string& overlay) {
  WriteFile(scratch, EmptyModule(pe32Plus, withCode, overlay));
  std::string error;
  auto update = tidewell::pe::ResourceUpdate::Begin(scratch, &error);
  if (!update) throw std::runtime_error("starting module: " + error);
  using namespace tidewell::pe;
  update->Update(kTypeString, 1, 0x0409, StringBlock({u"Update", u"Cancel", u"%Login%"}));
  update->Update(kTypeVersion, 1, 0x0409, VersionResource());
  update->Update(kTypeIcon, 1, 0x0409, BitmapIcon(32));
  update->Update(kTypeIcon, 2, 0x0409, BitmapIcon(16));
  update->Update(kTypeGroupIcon, 101, 0x0409, IconGroup({{32, 1}, {16, 2}}));
  update->Update(kTypeBitmap, 102, 0, BitmapFile(4, 2, 24, 0).substr(14));
  update->Update(ResourceId::Named(u"SETUP"), ResourceId::Named(u"Welcome"), 0, "Hello");
  if (!update->Commit(nullptr, &error)) throw std::runtime_error("starting module: " + error);
  std::string bytes = ReadFile(scratch);
  fs::remove(scratch);
  return bytes;
}

std::string ZipSeed(const fs::path& scratch) {
  zipFile zip = zipOpen64(scratch.string().c_str(), APPEND_STATUS_CREATE);
  if (!zip) throw std::runtime_error("cannot create " + scratch.string());
  const std::pair<const char*, std::string> entries[] = {
      {"readme.txt", "Read me first.\r\n"},
      {"images/", ""},
      {"images/logo.bmp", BitmapFile(2, 2, 24, 0)},
  };
  for (const auto& [name, data] : entries) {
    zip_fileinfo info{};
    info.dosDate = 0x5A8B6000;
    zipOpenNewFileInZip(zip, name, &info, nullptr, 0, nullptr, 0, nullptr,
                        data.empty() ? 0 : Z_DEFLATED, Z_DEFAULT_COMPRESSION);
    zipWriteInFileInZip(zip, data.data(), static_cast<unsigned>(data.size()));
    zipCloseFileInZip(zip);
  }
  zipClose(zip, "corpus");
  std::string bytes = ReadFile(scratch);
  fs::remove(scratch);
  return bytes;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s <corpus folder> <example project template>\n", argv[0]);
    return 2;
  }
  try {
    const fs::path corpus = argv[1];
    const fs::path scratch = corpus / "scratch.tmp";
    auto put = [&](const char* target, const char* name, const std::string& bytes) {
      WriteFile(corpus / target / name, bytes);
    };

    const std::string example = ReplaceAll(ReadFile(argv[2]), "@STAGE@", "stage");
    const std::string small =
        "<Tidemark>\r\n\t<ProjName>Fuzz</ProjName>\r\n\t<CompanyName>A &amp; B</CompanyName>\r\n"
        "\t<VariablesList><Variable Name=\"Edition\" Description=\"HKEY_CURRENT_USER\\Software\\E\" "
        "Additional=\"REG_SZ\" /></VariablesList>\r\n</Tidemark>\r\n";
    const std::string marked =
        "<!DOCTYPE Tidemark [<!ENTITY co \"Co\">]>\n<Tidemark><!-- note --><AppTitle a='1' "
        "b=\"2\">&co; &#x41;&#66;<![CDATA[<&>]]></AppTitle><?tool x?></Tidemark>\n";
    for (const char* target : {"project-document", "markup-scan"}) {
      put(target, "example.xml", example);
      put(target, "small.xml", small);
      put(target, "marked.xml", marked);
    }

    const std::string module64 = ModuleWithResources(scratch, true, false, "");
    const std::string module32 = ModuleWithResources(scratch, false, true, "overlay bytes");
    for (const char* target : {"pe-reader", "version-reader", "resource-editor"}) {
      put(target, "module64.dll", module64);
      put(target, "module32.exe", module32);
    }
    put("pe-reader", "empty.dll", EmptyModule(true, true, ""));
    put("version-reader", "version.bin", VersionResource());

    put("icon-image", "bitmap32.bin", BitmapIcon(32));
    put("icon-image", "bitmap16.bin", BitmapIcon(16));
    put("icon-image", "png48.bin", PngIcon(48));

    put("bitmap", "rgb.bmp", BitmapFile(3, 2, 24, 0));
    put("bitmap", "palette.bmp", BitmapFile(5, -2, 8, 4));
    put("bitmap", "core.bmp", CoreBitmapFile());

    put("zip-entries", "archive.zip", ZipSeed(scratch));

    put("variables", "rename.txt",
         "Hi %Login%, %Edition% from %Path% (%Missing%)\n"
         "aEdition\tHKEY_LOCAL_MACHINE\\Software\\A&B\\Edition\tREG_SZ\n"
         "aPath\tHKEY_CURRENT_USER\\<x>\\\"Dir\"\tREG_DWORD\n"
         "a\t\t\nr\x03Renamed\ne\x01New 'description'\n");
    put("variables", "chain.txt", "%A% and %B%\naA\t%B%|x\tREG_SZ\naB\tkey\tREG_SZ\n");

    const std::string serverFile =
        "<Tidemark>\r\n\t<FileList>\r\n\t\t<Directory Name=\"&lt;ApplicationDir&gt;\">\r\n"
        "\t\t\t<File Name=\"App.exe\" Size=\"6\" Mode=\"1.2\" Src=\"\\\" />\r\n"
        "\t\t\t<Directory Name=\"Data\"><File Name=\"Data.zip\" Size=\"9\" Action=\"unzip\" Src=\"\\Data\\\">"
        "<File Name=\"a.txt\" Action=\"unzip\" Src=\"zip\" /></File></Directory>\r\n"
        "\t\t</Directory>\r\n\t</FileList>\r\n"
        "\t<RegList><Key Name=\"HKEY_CURRENT_USER\"><Key Name=\"Software\\A\">"
        "<Value Name=\"V\" Action=\"Add REG_SZ 1.2\"  /></Key></Key></RegList>\r\n"
        "\t<ShellExec><Execute Point=\"1\" File=\"&lt;WinDir&gt;\\welcome.exe\" /></ShellExec>\r\n"
        "\t<Welcome>Hi %Login%</Welcome><UpdateVersion>1.2</UpdateVersion>\r\n"
        "\t<UpdateType>Silent</UpdateType><Restart />\r\n</Tidemark>\r\n";
    put("server-file", "update.xml", serverFile);

    namespace sg = tidewell::signing;
    const sg::KeyPair key = sg::KeyPairFromSeed(sg::Seed{3});
    const sg::KeyPair next = sg::KeyPairFromSeed(sg::Seed{4});
    sg::SignatureContent content;
    content.key = next.publicKey;
    content.keyChanges = {sg::EndorseKey(key, next.publicKey)};
    content.product = sg::SignedProduct{"A & B", "App"};
    content.serverFile = {serverFile.size(), sg::Sha256::Of(serverFile)};
    content.files = {{"App.exe", {6, sg::Sha256::Of("v2 app")}}, {"Data/Data.zip", {9, sg::Sha256::Of("zip bytes")}}};
    put("signature-file", "changed-key.sig", sg::WriteSignatureFile(content, next));
    content.key = key.publicKey;
    content.keyChanges.clear();
    content.product.reset();
    put("signature-file", "plain.sig", sg::WriteSignatureFile(content, key));

    put("client-zip", "archive.zip", ZipSeed(scratch));

    namespace en = tidewatch::engine;
    std::vector<en::Step> steps(4);
    steps[0] = {en::Step::CreateFolder, u"C:\\App\\Data", u"", u"", u"", false, {}, {}, {}};
    steps[1] = {en::Step::ReplaceFile, u"C:\\App\\Data\\x.dll", u"C:\\App\\~tidewell\\new\\0\\1",
                u"C:\\App\\~tidewell\\old\\0\\2", u"", true, {}, {}, {}};
    steps[2] = {en::Step::SetValue, u"HKEY_CURRENT_USER\\Software\\A", u"", u"", u"V", true, {1, {'2', 0, 0, 0}},
                {1, {'1', 0, 0, 0}}, {}};
    steps[3] = {en::Step::DeleteKey, u"HKEY_CURRENT_USER\\Software\\Gone", u"", u"", u"", true, {}, {}, {}};
    steps[3].previousKey.values.push_back({u"K", {4, {1, 0, 0, 0}}});
    steps[3].previousKey.subkeys.push_back({u"Sub", {}});
    put("journal", "journal", en::WriteJournal(steps));
    put("installation-state", "with-main-executable",
        en::WriteInstallationState({u"2.0", en::MainExecutableDigest{14848, std::string(64, 'a')}}));
    put("installation-state", "version-only", en::WriteInstallationState({u"1.1", std::nullopt}));
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return 1;
  }
  return 0;
}
