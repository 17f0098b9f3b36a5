#include <gtest/gtest.h>

#include "ClientVariables.h"
#include "EngineFakes.h"
#include "ServerUpdate.h"
#include "Text.h"
#include "UpdateRules.h"
#include "XmlDocument.h"
#include "files/FileTime.h"
#include "text/Text.h"

namespace tidewatch::engine {
namespace {

using testing::FakeFiles;
using testing::FakeRegistry;
using testing::FaultCounter;

// A server update file as the tool writes it.
constexpr char16_t kServerFile[] =
    u"<Tidemark>\r\n\t<VariablesList>\r\n\t</VariablesList>\r\n"
    u"\t<FileList>\r\n"
    u"\t\t<Directory Name=\"&lt;ApplicationDir&gt;\">\r\n"
    u"\t\t\t<File Name=\"App.exe\" Size=\"40960\" Mode=\"1.2\" Src=\"\\\" />\r\n"
    u"\t\t\t<Directory Name=\"Data\">\r\n"
    u"\t\t\t\t<File Name=\"Data.zip\" OS=\"3\" Size=\"120\" Action=\"unzip\" Mode=\"58A4B2C1\" Src=\"\\Data\\\">"
    u"\t\t\t\t\t<File Name=\"readme.txt\" OS=\"3\" Action=\"unzip\" Mode=\"58A4B2C1\" Src=\"zip\" />\r\n</File>\r\n"
    u"\t\t\t\t<File Size=\"5\" Src=\"\\Data\\\" />\r\n"
    u"\t\t\t</Directory>\r\n"
    u"\t\t</Directory>\r\n\t</FileList>\r\n"
    u"\t<RegList>\r\n\t\t<Key Name=\"HKEY_CURRENT_USER\">\r\n\t\t\t<Key Name=\"Software\\MyApp\">\r\n"
    u"\t\t\t\t<Value Name=\"Create key\" Action=\"Create \"  />\r\n"
    u"\t\t\t\t<Value Name=\"Cmd\" Action=\"Add REG_SZ run  &quot;a b&quot;\"  />\r\n"
    u"\t\t\t</Key>\r\n\t\t</Key>\r\n\t</RegList>\r\n"
    u"\t<ShellExec>\r\n\t\t<Execute Point=\"4\" File=\"&lt;ApplicationDir&gt;\\setup.exe\" />\r\n"
    u"\t\t<Execute Point=\"7\" File=\"&lt;WinDir&gt;\\x.exe\" />\r\n"
    u"\t\t<Execute Point=\"1\" File=\"&lt;WinDir&gt;\\notepad.exe\" />\r\n\t</ShellExec>\r\n"
    u"\t<SilentFinished>Done, %Login%.</SilentFinished>\r\n"
    u"\t<UpdateVersion>1.2</UpdateVersion>\r\n\t<UpdateType>Silent</UpdateType>\r\n"
    u"\t<Restart />\r\n</Tidemark>\r\n";

TEST(ServerUpdate, ReadsFilesRegistryOperationsAndExecutionsAsTheToolWritesThem) {
  std::string error;
  const auto update = ReadServerUpdate(kServerFile, &error);
  ASSERT_TRUE(update) << error;
  EXPECT_EQ(update->updateVersion, u"1.2");
  EXPECT_TRUE(update->silent());
  EXPECT_TRUE(update->restart);
  EXPECT_EQ(update->silentFinished, u"Done, %Login%.");
  // The zip entry and the nameless file (written for no system) are not taken.
  ASSERT_EQ(update->files.size(), 2u);
  EXPECT_EQ(update->files[0].destination, u"<ApplicationDir>");
  EXPECT_EQ(update->files[0].mode, u"1.2");
  EXPECT_EQ(update->files[0].size, 40960);
  EXPECT_EQ(update->files[0].os, 31);
  EXPECT_EQ(update->files[1].destination, u"<ApplicationDir>\\Data");
  EXPECT_EQ(update->files[1].src, u"\\Data\\");
  EXPECT_EQ(update->files[1].os, 3);
  EXPECT_TRUE(update->files[1].unzip);
  ASSERT_EQ(update->registry.size(), 2u);
  EXPECT_EQ(update->registry[0].key, u"HKEY_CURRENT_USER\\Software\\MyApp");
  EXPECT_EQ(update->registry[0].verb, u"Create");
  EXPECT_EQ(update->registry[0].valueType, u"");
  EXPECT_EQ(update->registry[1].valueType, u"REG_SZ");
  EXPECT_EQ(update->registry[1].valueData, u"run  \"a b\"");
  ASSERT_EQ(update->executions.size(), 3u);
  EXPECT_EQ(update->executions[1].point, ExecutionPoint::InstallationComplete);
  EXPECT_EQ(update->executions[2].point, ExecutionPoint::Welcome);
  EXPECT_EQ(update->executions[2].file, u"<WinDir>\\notepad.exe");
}

TEST(ServerUpdate, RefusesWhatIsNotAWholeServerUpdateFile) {
  const std::u16string whole = kServerFile;
  const std::u16string cases[] = {
      u"",
      u"<!DOCTYPE html>\n<html><body><h1>Welcome to nginx!</h1></body></html>",
      u"<html><head><title>Login</title></head><body>Sign in</body></html>",
      whole.substr(0, whole.size() / 2),
      whole.substr(0, whole.rfind(u"</Tidemark>")),
      u"<Tidemark><UpdateVersion>1.2</UpdateVersion></Tidemark><Tidemark/>",
      u"<Tidemark><UpdateType>Silent</UpdateType></Tidemark>",
      u"<Tidemark><UpdateVersion>1.2&nbsp;</UpdateVersion></Tidemark>",
      u"<Tidemark><UpdateVersion>1.2</UpdateVersion><File Name=\"a\" Name=\"b\"/></Tidemark>",
      u"<Tidemark><UpdateVersion>1.2</Updateversion></Tidemark>",
      u"<Tidemark><UpdateVersion a=\"<\">1.2</UpdateVersion></Tidemark>",
      u"Tidemark 1.2",
  };
  for (const auto& text : cases) EXPECT_FALSE(ReadServerUpdate(text)) << ToUtf8(text);
  EXPECT_TRUE(ReadServerUpdate(DecodeDocumentBytes("\xEF\xBB\xBF<?xml version=\"1.0\"?><!-- c --><Tidemark>"
                                                   "<UpdateVersion><![CDATA[2.0]]></UpdateVersion></Tidemark>\n")));
}

// The reader's limits: a repeated attribute is found wherever it stands
// among many (each name is looked up once, so a server file of a hundred
// thousand attributes costs no more than their reading), and elements nest
// at most 257 deep.
TEST(XmlDocument, FindsARepeatedAttributeAmongManyAndLimitsNesting) {
  constexpr int kMany = 100'000;
  auto element = [&](int repeatAt) {
    std::u16string text = u"<Tidemark";
    for (int i = 0; i < kMany; ++i) text += u" a" + ToU16(std::to_string(i)) + u"=\"\"";
    if (repeatAt >= 0) text += u" a" + ToU16(std::to_string(repeatAt)) + u"=\"x\"";
    return text + u"/>";
  };
  const auto many = ReadXmlDocument(element(-1));
  ASSERT_TRUE(many);
  EXPECT_EQ(many->attributes.size(), static_cast<size_t>(kMany));
  for (const int repeatAt : {0, 7, 8, kMany / 2, kMany - 1}) {
    std::string error;
    EXPECT_FALSE(ReadXmlDocument(element(repeatAt), &error)) << repeatAt;
    EXPECT_NE(error.find("an attribute given twice"), std::string::npos) << error;
  }
  EXPECT_FALSE(ReadXmlDocument(u"<a b=\"1\" c=\"2\" b=\"3\"/>"));
  EXPECT_TRUE(ReadXmlDocument(u"<a b=\"1\" B=\"2\" bb=\"3\"/>"));

  auto nested = [](int depth) {
    std::u16string text;
    for (int i = 0; i < depth; ++i) text += u"<e>";
    for (int i = 0; i < depth; ++i) text += u"</e>";
    return text;
  };
  EXPECT_TRUE(ReadXmlDocument(nested(257)));
  std::string error;
  EXPECT_FALSE(ReadXmlDocument(nested(258), &error));
  EXPECT_NE(error.find("nested too deeply"), std::string::npos) << error;
}

TEST(UpdateRules, OrdersVersionsByTheirNumericValue) {
  struct Case {
    const char16_t* update;
    const char16_t* installed;
    bool later;
  } cases[] = {
      {u"1.2", u"1.1", true}, {u"1.9", u"1.10", true}, {u"1.10", u"1.9", false}, {u"1.0", u"1.00", false},
      {u"2", u"1.9", true},   {u"1.2", u"", true},     {u"v2", u"1.0", false},   {u"2.5b", u"2.4", true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsLaterVersion(c.update, c.installed), c.later) << ToUtf8(c.update);
}

TEST(UpdateRules, TimeStampsMatchTheToolsServerForm) {
  const std::uint64_t times[] = {
      133'000'000'000'000'000,  // 2022
      125'911'584'000'000'000,  // 2000-01-01 00:00:00: 120 s earlier lies in 1999
      119'600'065'010'000'000,  // 1980-01-01 00:01:41
      119'600'064'010'000'000,  // 1980-01-01 00:00:01: 120 s earlier lies before DOS times
      132'223'104'000'000'001,
  };
  for (const auto t : times) {
    const auto stamp = ServerTimeStamp(t);
    char hex[16] = "";
    if (stamp) std::snprintf(hex, sizeof hex, "%X", *stamp);
    EXPECT_EQ(hex, tidewell::text::ToUtf8(tidewell::FormatFileTime(t, false))) << t;
  }
  EXPECT_FALSE(ServerTimeStamp(100'000'000'000'000'000));  // 1917
}

TEST(UpdateRules, TakesAFileByItsConditionAgainstTheInstalledOne) {
  FaultCounter faults;
  FakeFiles files(faults);
  const std::u16string target = u"C:\\App\\x.dll";
  const std::uint64_t installedTime = 133'000'000'000'000'000;
  const std::uint32_t installedStamp = *ServerTimeStamp(installedTime);
  char16_t earlier[16], later[16];
  for (int i = 0; i < 2; ++i) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", installedStamp + (i ? 1 : -1));
    std::u16string text = ToU16(hex);
    std::copy(text.c_str(), text.c_str() + text.size() + 1, i ? later : earlier);
  }
  struct Case {
    bool installed;
    std::optional<FileVersion> version;
    std::u16string mode;
    bool taken;
  } cases[] = {
      {false, std::nullopt, u"1.2", true},
      {true, std::nullopt, u"", true},
      {true, FileVersion{1, 1}, u"1.2", true},
      {true, FileVersion{1, 2}, u"1.2", false},
      {true, FileVersion{1, 10}, u"1.9", false},
      {true, FileVersion{0, 99}, u"1.0", true},
      {true, std::nullopt, u"1.0", true},
      {true, std::nullopt, later, true},
      {true, std::nullopt, earlier, false},
      {true, std::nullopt, u"not a mode", true},
  };
  for (const auto& c : cases) {
    files.files.clear();
    if (c.installed) files.files[target] = {"old", installedTime, c.version};
    ServerFile file;
    file.name = u"x.dll";
    file.mode = c.mode;
    EXPECT_EQ(NeedsFile(file, target, files), c.taken) << ToUtf8(c.mode);
  }
  EXPECT_TRUE(ForThisSystem(31));
  EXPECT_TRUE(ForThisSystem(16));
  EXPECT_FALSE(ForThisSystem(15));
}

TEST(ClientVariables, FillsBuiltInAndRegistryReadReferences) {
  FaultCounter faults;
  FakeRegistry registry(faults);
  registry.keys[u"HKEY_LOCAL_MACHINE\\Software\\My App"][u"Edition"] = {1, {'P', 0, 'r', 0, 'o', 0, ' ', 0, '&', 0, 0, 0}};
  registry.keys[u"HKEY_CURRENT_USER\\Software\\My App"][u"Seats"] = {4, {0x2C, 0x01, 0, 0}};
  const VariableValues values{u"alice", u"Windows 10", &registry};
  struct Case {
    const char16_t* text;
    const char16_t* filled;
  } cases[] = {
      {u"Hi %Login% on %Platform%", u"Hi alice on Windows 10"},
      {u"%REG HKEY_LOCAL_MACHINE\\Software\\My App\\Edition|REG_SZ%", u"Pro &"},
      {u"n=%REG HKEY_CURRENT_USER\\Software\\My App\\Seats|REG_DWORD%", u"n=300"},
      {u"[%REG HKEY_CURRENT_USER\\Software\\Missing\\Value|REG_SZ%]", u"[]"},
      {u"100% sure, %Login%", u"100% sure, alice"},
      {u"%login% %Variable2% %", u"%login% %Variable2% %"},
  };
  for (const auto& c : cases) EXPECT_EQ(FillClientVariables(c.text, values), c.filled) << ToUtf8(c.text);
  EXPECT_EQ(FillClientVariables(u"http://h/u.xml?ed=%REG HKEY_LOCAL_MACHINE\\Software\\My App\\Edition|REG_SZ%",
                                values, [](std::u16string_view v) { return ToU16(PercentEncode(ToUtf8(v))); }),
            u"http://h/u.xml?ed=Pro%20%26");
}

}  // namespace
}  // namespace tidewatch::engine
