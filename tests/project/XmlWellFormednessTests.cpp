#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <pugixml.hpp>

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
    // Set where the reason tells an empty or cut-short file rather than a place.
    const char* reason = nullptr;
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
      {"one character after the root", "<Tidemark/>x", 11,
       "the file is cut short: it ends inside the document (text outside the root element)"},
      {"text between comments after the root", "<Tidemark/><!-- a -->b<!-- c -->", 21},
      {"undefined entity in a nested element's text",
       "<Tidemark><FileList><File Name=\"a\" Src=\"\\\">x&y;</File></FileList></Tidemark>", 44},
      {"< after a reference in an attribute value",
       "<Tidemark><FileList><File Name=\"&amp;<\" Src=\"\\\" /></FileList></Tidemark>", 37},
      {"empty document", "", 0, "the file is empty"},
      {"blanks only", " \r\n", 2, "the file is empty"},
      {"a comment only", "<!-- c -->", 9,
       "the file is cut short: it ends inside the document (No document element found)"},
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
        c.reason       ? c.reason
        : c.offset == 0 ? "the file is not XML: it does not begin with markup"
                        : "not well-formed XML at byte " + std::to_string(c.offset) + ": ";
    EXPECT_EQ(error.rfind(expected, 0), 0u) << c.what << ": " << error;
  }
}

// Bytes the parser never looks at, or passes over, are refused with the
// reasons a scan of every byte gives.
TEST(XmlWellFormedness, BytesTheParserStopsShortOfAreRefusedAsBefore) {
  using namespace std::string_literals;
  const std::string zeros(253, '0');
  const struct {
    const char* what;
    std::string bytes;
    const char* reason;
  } cases[] = {
      {"NUL bytes after the root", "<Tidemark/>\0\0\r\n"s,
       "not well-formed XML at byte 11: text outside the root element"},
      {"an element after a NUL byte after the root", "<Tidemark/>\0<x>"s,
       "not well-formed XML at byte 11: text outside the root element"},
      {"NUL byte in an element's text", "<Tidemark><ProjName>a\0b</ProjName></Tidemark>"s,
       "not well-formed XML at byte 21: Start-end tags mismatch"},
      {"> as the last byte after the root", "<Tidemark/> >",
       "the file is cut short: it ends inside the document (text outside the root element)"},
      {"> right after the root", "<Tidemark></Tidemark>>",
       "the file is cut short: it ends inside the document (text outside the root element)"},
      {"character reference of 256 characters in text",
       "<Tidemark><ProjName>&#" + zeros + "65;</ProjName></Tidemark>",
       "not well-formed XML at byte 20: \"&\" that starts no reference"},
      {"character reference of 256 characters in an attribute value",
       "<Tidemark><FileList><File Name=\"&#" + zeros + "65;\" Src=\"\\\" /></FileList></Tidemark>",
       "not well-formed XML at byte 32: \"&\" that starts no reference"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    std::string error;
    EXPECT_FALSE(Load(dir, c.bytes, &error)) << c.what;
    EXPECT_EQ(error, c.reason) << c.what;
  }
}

// References are resolved by the reader rather than the parser: every value
// must come out as the parser resolves it, line breaks and blanks included.
TEST(XmlWellFormedness, ValuesReadAsTheParserResolvesThem) {
  const std::string values[] = {
      "plain", "&amp;&lt;&gt;&quot;&apos;", "a&#10;b&#13;c&#9;d", "&#x1F600;&#65;&#x00e9;",
      "two\r\nlines\rand\nmore", "tab\there", "&amp;amp;", "&#38;#38;", "caf\xC3\xA9 &#233;",
  };
  for (const std::string& value : values) {
    const std::string bytes = "<Tidemark><AppTitle>" + value +
                              "</AppTitle><FileList><Directory Name=\"d\"><File Name=\"" + value +
                              "\" Src=\"\\" + value + "\" /></Directory></FileList></Tidemark>";
    pugi::xml_document dom;
    ASSERT_TRUE(dom.load_string(bytes.c_str(), pugi::parse_default | pugi::parse_ws_pcdata_single));
    const pugi::xml_node file = dom.child("Tidemark").child("FileList").child("Directory").child("File");
    TempDir dir;
    std::string error;
    const auto document = Load(dir, bytes, &error);
    ASSERT_TRUE(document) << value << ": " << error;
    EXPECT_EQ(document->settings.RawValue(SettingKey::AppTitle),
              text::FromUtf8(dom.child("Tidemark").child("AppTitle").text().get()))
        << value;
    const TreeNode* folder = document->fileTree.Children(nullptr).at(0);
    ASSERT_EQ(folder->children.size(), 1u) << value;
    const FileRecord* record = FileTree::RecordOf(*folder->children[0]);
    EXPECT_EQ(record->Name, text::FromUtf8(file.attribute("Name").value())) << value;
    EXPECT_EQ(record->Src, text::FromUtf8(file.attribute("Src").value())) << value;
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
      {"document type after the root, as before", "<Tidemark><ProjName>P</ProjName></Tidemark><!DOCTYPE x>"},
      {"more attributes than are compared cheaply",
       "<Tidemark a0='0' a1='1' a2='2' a3='3' a4='4' a5='5' a6='6' a7='7' a8='8' a9='9' b0='0' b1='1' "
       "b2='2' b3='3' b4='4' b5='5' b6='6'><ProjName>P</ProjName></Tidemark>"},
      {"character reference of 255 characters",
       "<Tidemark><ProjName>P</ProjName><AppTitle>&#" + std::string(252, '0') + "65;</AppTitle></Tidemark>"},
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
