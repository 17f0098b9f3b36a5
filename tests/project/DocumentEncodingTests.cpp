// Project files in the encodings they state, with the entities they declare,
// and paths that are no project file at all.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>

#include "project/DocumentReader.h"
#include "project/DocumentWriter.h"
#include "project/ProjectDocument.h"
#include "project/XmlEntities.h"
#include "support/TempDir.h"
#include "support/HostOnly.h"
#include "text/Text.h"

namespace tidewell {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::string Utf16(std::u16string_view text, bool little) {
  std::string bytes;
  for (const char16_t c : text) {
    const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
    bytes += little ? std::string{lo, hi} : std::string{hi, lo};
  }
  return bytes;
}

std::string Utf32(std::u16string_view text, bool little) {
  std::string bytes;
  for (const char16_t c : text) {  // the texts below have no surrogate pairs
    const std::string be{'\0', '\0', static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    bytes += little ? std::string(be.rbegin(), be.rend()) : be;
  }
  return bytes;
}

std::u16string Project(std::u16string_view declaration, std::u16string_view company) {
  return std::u16string(declaration) + u"<Tidemark><ProjName>P</ProjName><CompanyName>" +
         std::u16string(company) + u"</CompanyName></Tidemark>";
}

struct Loaded {
  bool ok = false;
  std::string error;
  ProjectDocument document;
};

std::unique_ptr<Loaded> Load(const TempDir& dir, const std::string& bytes) {
  WriteBytes(dir / "Settings.xml", bytes);
  auto loaded = std::make_unique<Loaded>();
  loaded->ok = LoadDocument(loaded->document, text::FromPath(dir / "Settings.xml"), nullptr,
                            &loaded->error);
  return loaded;
}

TEST(DocumentEncoding, TheFilesOwnEncodingIsHonoured) {
  const std::u16string text = Project(u"", u"Caf\u00e9 \u20ac");
  const std::u16string utf16Declared = Project(u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>",
                                               u"Caf\u00e9 \u20ac");
  struct Case {
    const char* name;
    std::string bytes;
    std::u16string company;
  };
  const std::vector<Case> cases = {
      {"UTF-8 mark", "\xEF\xBB\xBF" + text::ToUtf8(text), u"Caf\u00e9 \u20ac"},
      {"UTF-16 LE mark", "\xFF\xFE" + Utf16(text, true), u"Caf\u00e9 \u20ac"},
      {"UTF-16 BE mark", "\xFE\xFF" + Utf16(text, false), u"Caf\u00e9 \u20ac"},
      {"UTF-32 LE mark", std::string("\xFF\xFE\0\0", 4) + Utf32(text, true), u"Caf\u00e9 \u20ac"},
      {"UTF-32 BE mark", std::string("\0\0\xFE\xFF", 4) + Utf32(text, false), u"Caf\u00e9 \u20ac"},
      {"UTF-16 LE declared, no mark", Utf16(utf16Declared, true), u"Caf\u00e9 \u20ac"},
      {"windows-1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><Tidemark><ProjName>P"
                       "</ProjName><CompanyName>Caf\xE9 \x80\x99\x81</CompanyName></Tidemark>",
       u"Caf\u00e9 \u20ac\u2122\u0081"},
      {"cp1252 in capitals", "<?xml version='1.0' encoding = 'CP1252' ?><Tidemark><ProjName>P"
                             "</ProjName><CompanyName>\x80</CompanyName></Tidemark>",
       u"\u20ac"},
      {"ISO-8859-1", "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><Tidemark><ProjName>P"
                     "</ProjName><CompanyName>Caf\xE9 \x80</CompanyName></Tidemark>",
       u"Caf\u00e9 \u0080"},
      {"US-ASCII", "<?xml version=\"1.0\" encoding=\"US-ASCII\"?><Tidemark><ProjName>P"
                   "</ProjName><CompanyName>Cafe</CompanyName></Tidemark>",
       u"Cafe"},
      {"UTF-8 declared", "<?xml version=\"1.0\" encoding=\"utf-8\"?><Tidemark><ProjName>P"
                         "</ProjName><CompanyName>Caf\xC3\xA9</CompanyName></Tidemark>",
       u"Caf\u00e9"},
      {"nothing stated, UTF-8", text::ToUtf8(text), u"Caf\u00e9 \u20ac"},
      {"nothing stated, not UTF-8", "<Tidemark><ProjName>P</ProjName><CompanyName>Caf\xE9"
                                    "</CompanyName></Tidemark>",
       u"Caf\u00e9"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const auto loaded = Load(dir, c.bytes);
    ASSERT_TRUE(loaded->ok) << c.name << ": " << loaded->error;
    EXPECT_EQ(loaded->document.settings.RawValue(SettingKey::CompanyName), c.company) << c.name;
  }
}

TEST(DocumentEncoding, EncodingsThatCannotBeHonouredAreRefused) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><Tidemark/>",
       "the file's encoding \"Shift_JIS\" is not supported"},
      {"<?xml version=\"1.0\" encoding=\"UTF-16\"?><Tidemark/>",
       "the file declares the encoding \"UTF-16\" but is not written in it"},
      {"<?xml version=\"1.0\" encoding=\"us-ascii\"?><Tidemark>\xE9</Tidemark>",
       "not valid US-ASCII at byte 51"},
      {"<?xml version=\"1.0\" encoding=\"UTF-8\"?><Tidemark>\xE9</Tidemark>",
       "not valid UTF-8 at byte 48"},
      {"\xEF\xBB\xBF<Tidemark>\xC3</Tidemark>", "not valid UTF-8 at byte 13"},
      {std::string("\xFF\xFE<\0T\0x", 7), "not valid UTF-16 at byte 6"},
      {"\xFE\xFF\xDC\x00", "not valid UTF-16 at byte 2"},
      {std::string("\0\0\xFE\xFF\0\x11\0\0", 8), "not valid UTF-32 at byte 4"},
  };
  for (const auto& [bytes, message] : cases) {
    TempDir dir;
    const auto loaded = Load(dir, bytes);
    EXPECT_FALSE(loaded->ok) << message;
    EXPECT_EQ(loaded->error, message);
  }
}

TEST(DocumentEncoding, SavingWritesUtf8WhateverTheFileWasReadIn) {
  TempDir dir;
  const auto loaded = Load(dir, "<?xml version=\"1.0\" encoding=\"windows-1252\"?><Tidemark>"
                                "<ProjName>P</ProjName><CompanyName>\x80</CompanyName></Tidemark>");
  ASSERT_TRUE(loaded->ok) << loaded->error;
  ASSERT_TRUE(SaveDocument(loaded->document, XmlForm::ProjectForm));
  const std::string saved = ReadBytes(dir / "Settings.xml");
  EXPECT_NE(saved.find("<CompanyName>\xE2\x82\xAC</CompanyName>"), std::string::npos) << saved;
}

TEST(DocumentEntities, DeclaredEntitiesAreReadAsTheirText) {
  TempDir dir;
  const auto loaded = Load(
      dir, "<!DOCTYPE Tidemark [<!ENTITY co \"Ent Co\"> <!ENTITY full '&co; &amp; &#169; 2024'>]>"
           "<Tidemark><ProjName>P</ProjName><CompanyName>&full;</CompanyName>"
           "<AppTitle>&co;</AppTitle></Tidemark>");
  ASSERT_TRUE(loaded->ok) << loaded->error;
  EXPECT_EQ(loaded->document.settings.RawValue(SettingKey::CompanyName),
            u"Ent Co & \u00a9 2024");
  EXPECT_EQ(loaded->document.settings.RawValue(SettingKey::AppTitle), u"Ent Co");
  ASSERT_TRUE(SaveDocument(loaded->document, XmlForm::ProjectForm));
  const std::string saved = ReadBytes(dir / "Settings.xml");
  EXPECT_NE(saved.find("<AppTitle>Ent Co</AppTitle>"), std::string::npos) << saved;
}

TEST(DocumentEntities, ExpansionFollowsTheRulesOfXml) {
  const std::string doctype = "<!DOCTYPE T [<!ENTITY a \"A&b;\"><!ENTITY b 'B'>"
                              "<!ENTITY q 'say \"hi\"'><!ENTITY amp2 \"&#38;#38;\">"
                              "<!ENTITY a \"second\"><!ENTITY lt \"&#38;#60;\">]>";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"<T>&a;</T>", "<T>AB</T>"},
      {"<T x=\"&q;\" y='&b;'>&q;</T>", "<T x=\"say &quot;hi&quot;\" y='B'>say \"hi\"</T>"},
      {"<T>&amp2;&lt;&#65;&unknown;</T>", "<T>&#38;&lt;&#65;&unknown;</T>"},
      {"<T><!-- &a; --><![CDATA[&a;]]><?pi &a;?></T>", "<T><!-- &a; --><![CDATA[&a;]]><?pi &a;?></T>"},
      {"<T>&a</T>", "<T>&a</T>"},
  };
  for (const auto& [body, expected] : cases) {
    std::string text = doctype + body;
    std::string error;
    ASSERT_TRUE(ExpandDeclaredEntities(text, 1 << 20, &error)) << body << ": " << error;
    EXPECT_EQ(text, doctype + expected) << body;
  }
  std::string plain = "<?xml version=\"1.0\"?><!DOCTYPE T SYSTEM \"t.dtd\"><T>&x;</T>";
  const std::string before = plain;
  ASSERT_TRUE(ExpandDeclaredEntities(plain, 1 << 20));
  EXPECT_EQ(plain, before);
}

TEST(DocumentEntities, EntitiesThatCannotBeExpandedSafelyAreRefused) {
  std::string bomb = "<!DOCTYPE T [<!ENTITY l0 \"lol\">";
  for (int i = 1; i <= 9; ++i)
    bomb += "<!ENTITY l" + std::to_string(i) + " \"" + [&] {
      std::string refs;
      for (int k = 0; k < 10; ++k) refs += "&l" + std::to_string(i - 1) + ";";
      return refs;
    }() + "\">";
  bomb += "]><T>&l9;</T>";
  std::string deep = "<!DOCTYPE T [<!ENTITY e0 \"x\">";
  for (int i = 1; i <= 100; ++i)
    deep += "<!ENTITY e" + std::to_string(i) + " \"&e" + std::to_string(i - 1) + ";\">";
  deep += "]><T>&e100;</T>";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {bomb, "the entities the file declares expand to more than 1048576 bytes"},
      {deep, "the entities the file declares are nested more than 64 deep"},
      {"<!DOCTYPE T [<!ENTITY a \"&b;\"><!ENTITY b \"&a;\">]><T>&a;</T>",
       "the entity \"a\" refers to itself"},
      {"<!DOCTYPE T [<!ENTITY f SYSTEM \"/etc/passwd\">]><T>&f;</T>",
       "the entity \"f\" is kept in another file, which is not read"},
      {"<!DOCTYPE T [<!ENTITY % p \"<!ENTITY x 'y'>\"> %p;]><T/>",
       "the document type declares parameter entities, which are not read"},
      {"<!DOCTYPE T [<!ENTITY m \"<b/>\">]><T a=\"&m;\"/>",
       "the entity \"m\" puts \"<\" into an attribute value"},
  };
  for (const auto& [input, message] : cases) {
    std::string text = input;
    std::string error;
    EXPECT_FALSE(ExpandDeclaredEntities(text, 1 << 20, &error)) << message;
    EXPECT_EQ(error, message);
    EXPECT_EQ(text, input);
  }
}

TEST(DocumentReader, OnlyRegularFilesAreRead) {
#ifdef _WIN32
  GTEST_SKIP() << testing::kPosixFilesOnly;
#else
  TempDir dir;
  std::filesystem::create_directory(dir / "Folder.xml");
  ASSERT_EQ(::mkfifo((dir / "Fifo.xml").c_str(), 0644), 0);
  const std::vector<std::pair<std::filesystem::path, std::string>> cases = {
      {dir / "Folder.xml", "it is a folder"},
      {dir / "Fifo.xml", "it is not a regular file"},
      {"/dev/null", "it is not a regular file"},
      {dir / "Missing.xml", "No such file or directory"},
  };
  for (const auto& [path, reason] : cases) {
    ProjectDocument document;
    std::string error;
    EXPECT_FALSE(LoadDocument(document, text::FromPath(path), nullptr, &error));
    EXPECT_EQ(error, "cannot read " + path.string() + ": " + reason);
  }
#endif
}

}  // namespace
}  // namespace tidewell
