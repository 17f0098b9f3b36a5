#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "project/DocumentReader.h"
#include "project/ProjectDocument.h"
#include "support/TempDir.h"
#include "text/Text.h"

namespace tidewell {
namespace {

using testing::TempDir;
using testing::WriteBytes;

struct Document {
  const char* what;
  std::string bytes;
};

std::unique_ptr<ProjectDocument> Load(TempDir& dir, const std::string& bytes, std::string* error) {
  WriteBytes(dir / "Settings.xml", bytes);
  return LoadDocumentFresh(text::FromPath(dir / "Settings.xml"), nullptr, error);
}

// What a strict parser refuses, the lenient one lets pass: each would open
// and be rewritten differently on the next save.
TEST(XmlWellFormedness, DamagedDocumentsAreRefusedWithTheirPlace) {
  struct Damaged {
    const char* what;
    std::string bytes;
    size_t offset;
  };
  std::vector<Damaged> cases = {
      {"second top-level element", "<Tidemark></Tidemark><Other/>", 21},
      {"second root after a comment", "<Tidemark/><!-- c --><Tidemark/>", 21},
      {"text before the root", "junk<Tidemark/>", 0},
      {"text after the root", "<Tidemark/>\r\ntrailing", 13},
      {"undefined entity in text", "<Tidemark><ProjName>x&foo;</ProjName></Tidemark>", 21},
      {"undefined entity in an attribute", "<Tidemark><FileList><File Name=\"&nbsp;\" /></FileList></Tidemark>", 32},
      {"bare ampersand", "<Tidemark><AppTitle>Smith & Sons</AppTitle></Tidemark>", 26},
      {"unterminated reference", "<Tidemark><AppTitle>a&amp b</AppTitle></Tidemark>", 21},
      {"NUL by reference", "<Tidemark><ProjName>x&#0;</ProjName></Tidemark>", 21},
      {"surrogate by reference", "<Tidemark><ProjName>&#xD800;</ProjName></Tidemark>", 20},
      {"beyond Unicode by reference", "<Tidemark><ProjName>&#1114112;</ProjName></Tidemark>", 20},
      {"empty character reference", "<Tidemark><ProjName>&#x;</ProjName></Tidemark>", 20},
      {"< in an attribute value", "<Tidemark><FileList><File Name=\"a<b\" /></FileList></Tidemark>", 33},
      {"repeated attribute", "<Tidemark><FileList><File Name=\"a\" Src=\"\\\" Name=\"b\" /></FileList></Tidemark>", 20},
  };
  std::string many = "<Tidemark><ProjName";
  for (int a = 0; a < 12; ++a) many += " a" + std::to_string(a) + " = 'v'";
  many += " a3='again'>P</ProjName></Tidemark>";
  const std::string longValue =
      "<Tidemark><FileList><File Src=\"\\\" Name=\"" + std::string(40, 'a') + "<b\" /></FileList></Tidemark>";
  cases.push_back({"repeated among many attributes", many, 10});
  cases.push_back({"< deep in a long value", longValue, 20 + 20 + 40});
  for (const auto& c : cases) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(Load(dir, c.bytes, &error)) << c.what;
    // A file that does not begin with markup is no XML at all.
    const std::string expected =
        c.offset == 0 ? "the file is not XML: it does not begin with markup"
                      : "not well-formed XML at byte " + std::to_string(c.offset) + ": ";
    EXPECT_EQ(error.rfind(expected, 0), 0u) << c.what << ": " << error;
  }
}

TEST(XmlWellFormedness, WellFormedCornersStillLoad) {
  const Document cases[] = {
      {"byte-order mark and declaration",
       "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Tidemark><ProjName>P</ProjName></Tidemark>\r\n"},
      {"comments and instructions around the root holding & and <",
       "<!-- a & b < c --><?tool x & y?><Tidemark><ProjName>P</ProjName><!-- & --></Tidemark>\n<!-- end -->\n"},
      {"CDATA holding & and <", "<Tidemark><ProjName><![CDATA[P]]></ProjName><AppTitle><![CDATA[a & <b>]]></AppTitle></Tidemark>"},
      {"every predefined entity and character references",
       "<Tidemark><ProjName>P</ProjName><AppTitle>&amp;&lt;&gt;&quot;&apos;&#65;&#x42;&#x1F600;&#9;</AppTitle></Tidemark>"},
      {"single quotes holding a double quote and >",
       "<Tidemark><ProjName>P</ProjName><FileList><File Name='a\"b>c' Src = '\\' /></FileList></Tidemark>"},
      {"declared entity", "<!DOCTYPE Tidemark [<!ENTITY co \"Harbour\"> <!-- ] > -->]><Tidemark><ProjName>P</ProjName><AppTitle>&co;</AppTitle></Tidemark>"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    std::string error;
    const auto document = Load(dir, c.bytes, &error);
    ASSERT_TRUE(document) << c.what << ": " << error;
    EXPECT_EQ(document->settings.GetSetting(SettingKey::ProjName), u"P") << c.what;
  }
  TempDir dir;
  auto document = Load(dir, cases[3].bytes, nullptr);
  ASSERT_TRUE(document);
  EXPECT_EQ(document->settings.GetSetting(SettingKey::AppTitle), u"&<>\"'AB\U0001F600\t");
  document = Load(dir, cases[2].bytes, nullptr);
  ASSERT_TRUE(document);
  EXPECT_EQ(document->settings.GetSetting(SettingKey::AppTitle), u"a & <b>");
}

}  // namespace
}  // namespace tidewell
