#include <gtest/gtest.h>

#include "build/BuildTestSupport.h"
#include "build/ClientBuilder.h"
#include "build/ClientStringTable.h"
#include "content/VariableList.h"
#include "pe/PeResourceReader.h"
#include "pe/ResourceUpdate.h"
#include "project/ProjectDocument.h"
#include "support/ScriptedPrompt.h"
#include "text/Text.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::PromptEvent;
using testing::ReadBytes;
using testing::WriteBytes;

struct ClientBuilderTest : testing::StubProjectTest {
  void SetUp() override {
    StubProjectTest::SetUp();
    client = project / "Tidewatcher.exe";
  }

  WString Client() const { return text::FromPath(client); }
  std::vector<PromptEvent> Messages() const { return prompt.Of(PromptEvent::Kind::Message); }
  // The one message shown, with caption "Error" and the error icon.
  WString OnlyError() const {
    const auto messages = Messages();
    if (messages.size() != 1) return u"<" + text::FromUtf8(std::to_string(messages.size())) + u" messages>";
    EXPECT_EQ(messages[0].caption, u"Error");
    EXPECT_EQ(messages[0].icon, MessageIcon::Error);
    return messages[0].text;
  }

  fs::path client;
};

TEST_F(ClientBuilderTest, CopiesTheStubOnceAndKeepsWhatLaterWritesPut) {
  document.settings.SetSetting(SettingKey::ClientExe, u"");
  ASSERT_TRUE(builder.EnsureClientExecutable(document));
  EXPECT_EQ(document.ClientExecutablePath(), Client());
  EXPECT_EQ(ReadBytes(client), ReadBytes(testing::BuiltStub()));

  const std::string picture = testing::MakeBitmapFile(8, 8, 24);
  WriteBytes(dir / "p.bmp", picture);
  ASSERT_TRUE(builder.WriteClientBitmap(Client(), text::FromPath(dir / "p.bmp"), kMainPictureId));
  const std::string built = ReadBytes(client);

  // A second build keeps the client and its picture.
  ASSERT_TRUE(builder.EnsureClientExecutable(document));
  EXPECT_EQ(ReadBytes(client), built);

  // A deleted client starts again from the stub.
  fs::remove(client);
  ASSERT_TRUE(builder.EnsureClientExecutable(document));
  EXPECT_EQ(ReadBytes(client), ReadBytes(testing::BuiltStub()));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ClientBuilderTest, AReadOnlyStubGivesAClientTheBuildCanWrite) {
  fs::permissions(tool / "Tidewatch.exe",
                  fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read |
                      fs::perms::owner_exec);
  ASSERT_TRUE(builder.EnsureClientExecutable(Client()));
  EXPECT_NE(fs::status(client).permissions() & fs::perms::owner_write, fs::perms::none);
  EXPECT_NE(fs::status(client).permissions() & fs::perms::owner_exec, fs::perms::none);
  ProjectSettings settings;
  settings.SetSetting(SettingKey::AppTitle, u"Read-only tool");
  EXPECT_TRUE(builder.WriteClientSettings(Client(), settings, VariableList()));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ClientBuilderTest, AFailedStubCopyLeavesNoClient) {
  fs::remove(tool / "Tidewatch.exe");
  EXPECT_FALSE(builder.EnsureClientExecutable(Client()));
  EXPECT_FALSE(fs::exists(client));

  // A client whose folder cannot be made (a file stands in its way).
  fs::copy_file(testing::BuiltStub(), tool / "Tidewatch.exe");
  WriteBytes(dir / "blocked", "a file");
  EXPECT_FALSE(builder.EnsureClientExecutable(text::FromPath(dir / "blocked" / "Client.exe")));

  // A folder where the client should be is no client.
  fs::create_directories(project / "Folder.exe");
  EXPECT_FALSE(builder.EnsureClientExecutable(text::FromPath(project / "Folder.exe")));
  EXPECT_TRUE(Messages().empty());
  for (const auto& entry : fs::directory_iterator(project))
    EXPECT_EQ(entry.path().filename(), "Folder.exe");  // no temporary left behind
}

TEST_F(ClientBuilderTest, WritesTheStringTableAndKeepsEverythingElse) {
  if (!testing::HaveHostPefile()) GTEST_SKIP() << testing::kHostPefileOnly;
  ASSERT_TRUE(builder.EnsureClientExecutable(document));
  // Another language of the same string block must stay beside ours.
  {
    auto update = pe::ResourceUpdate::Begin(client, nullptr);
    ASSERT_TRUE(update);
    update->Update(pe::kTypeString, 1, 0x0409, "\x03\x00U\x00S\x00!\x00" + std::string(30, '\0'));
    ASSERT_TRUE(update->Commit(nullptr, nullptr));
  }
  const std::string before = testing::PefileResources(client);

  document.settings.SetSetting(SettingKey::AppTitle, u"Logbook");
  document.settings.SetSetting(SettingKey::AppVersion, u"1.0");
  ASSERT_TRUE(builder.WriteClientSettings(Client(), document.settings, document.variables));
  EXPECT_TRUE(prompt.Events().empty());

  const std::string expected =
      *ClientStringTable::FromSettings(document.settings, document.variables).Encode();
  const std::string after = testing::PefileResources(client);
  EXPECT_EQ(testing::ListedResource(after, "#6", "#1", 3081), testing::Hex(expected));
  EXPECT_EQ(testing::ListedResource(after, "#6", "#1", 1033),
            testing::ListedResource(before, "#6", "#1", 1033));
  // Every other resource is what it was.
  auto withoutOurTable = [](const std::string& listing) {
    std::string kept;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);)
      if (line.rfind("#6 #1 3081 ", 0) != 0) kept += line + "\n";
    return kept;
  };
  EXPECT_EQ(withoutOurTable(after), withoutOurTable(before));
  EXPECT_NE(withoutOurTable(after), "");
}

TEST_F(ClientBuilderTest, ASettingsWriteThatFailsLeavesTheFileAndShowsNothing) {
  WriteBytes(client, "not an executable");
  EXPECT_FALSE(builder.WriteClientSettings(Client(), document.settings, document.variables));
  EXPECT_EQ(ReadBytes(client), "not an executable");
  ASSERT_TRUE(fs::remove(client));
  EXPECT_FALSE(builder.WriteClientSettings(Client(), document.settings, document.variables));
  EXPECT_FALSE(fs::exists(client));
  EXPECT_TRUE(prompt.Events().empty());
}

TEST_F(ClientBuilderTest, PicturesAreTheFileWithoutItsFileHeader) {
  if (!testing::HaveHostPefile()) GTEST_SKIP() << testing::kHostPefileOnly;
  ASSERT_TRUE(builder.EnsureClientExecutable(Client()));
  const std::string main = testing::MakeBitmapFile(33, 17, 8);
  const std::string top = testing::MakeBitmapFile(50, 6, 24);
  WriteBytes(dir / "main.bmp", main);
  WriteBytes(dir / "top.bmp", top);
  EXPECT_TRUE(builder.WriteClientBitmap(Client(), text::FromPath(dir / "main.bmp"), 208));
  EXPECT_TRUE(builder.WriteClientBitmap(Client(), text::FromPath(dir / "top.bmp"), 205));
  const std::string listing = testing::PefileResources(client);
  EXPECT_EQ(testing::ListedResource(listing, "#2", "#208", 3081), testing::Hex(main.substr(14)));
  EXPECT_EQ(testing::ListedResource(listing, "#2", "#205", 3081), testing::Hex(top.substr(14)));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ClientBuilderTest, TheFourteenByteRule) {
  if (!testing::HaveHostPefile()) GTEST_SKIP() << testing::kHostPefileOnly;
  ASSERT_TRUE(builder.EnsureClientExecutable(Client()));
  const std::string header = testing::MakeBitmapFile(4, 4, 24).substr(0, 14);
  WriteBytes(dir / "14.bmp", header);
  EXPECT_TRUE(builder.WriteClientBitmap(Client(), text::FromPath(dir / "14.bmp"), 208));
  EXPECT_EQ(testing::ListedResource(testing::PefileResources(client), "#2", "#208", 3081), "-");

  const std::string built = ReadBytes(client);
  WriteBytes(dir / "13.bmp", header.substr(0, 13));
  EXPECT_FALSE(builder.WriteClientBitmap(Client(), text::FromPath(dir / "13.bmp"), 208));
  WriteBytes(dir / "0.bmp", "");
  EXPECT_FALSE(builder.WriteClientBitmap(Client(), text::FromPath(dir / "0.bmp"), 205));
  EXPECT_EQ(ReadBytes(client), built);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ClientBuilderTest, PictureFailuresAreShownAndChangeNothing) {
  ASSERT_TRUE(builder.EnsureClientExecutable(Client()));
  const std::string built = ReadBytes(client);
  WriteBytes(dir / "good.bmp", testing::MakeBitmapFile(4, 4, 24));
  WriteBytes(dir / "text.bmp", "Just some words, long enough to pass the file header.");
  fs::create_directories(dir / "folder.bmp");
  struct Case {
    const char* what;
    WString client, bitmap, message;
  };
  const Case cases[] = {
      {"missing picture", Client(), text::FromPath(dir / "none.bmp"),
       u"Error opening file for operations."},
      {"folder as picture", Client(), text::FromPath(dir / "folder.bmp"),
       u"Error opening file for operations."},
      {"missing client", text::FromPath(project / "none.exe"), text::FromPath(dir / "good.bmp"),
       u"Error opening file for update."},
      {"no bitmap", Client(), text::FromPath(dir / "text.bmp"), kNotABitmapError},
  };
  for (const Case& c : cases) {
    prompt.Clear();
    EXPECT_FALSE(builder.WriteClientBitmap(c.client, c.bitmap, 208)) << c.what;
    EXPECT_EQ(OnlyError(), c.message) << c.what;
  }
  EXPECT_EQ(ReadBytes(client), built);
  EXPECT_FALSE(fs::exists(project / "none.exe"));
}

TEST_F(ClientBuilderTest, CopiesAnIconByIdUnchanged) {
  if (!testing::HaveHostPefile()) GTEST_SKIP() << testing::kHostPefileOnly;
  const fs::path shell32 = testing::WineLibrary("shell32.dll");
  if (!fs::exists(shell32)) GTEST_SKIP() << "wine's shell32.dll is not installed";
  ASSERT_TRUE(builder.EnsureClientExecutable(Client()));
  EXPECT_TRUE(builder.CopyClientIcon(Client(), text::FromPath(shell32), u"#4", 1));
  EXPECT_TRUE(builder.CopyClientIcon(Client(), text::FromPath(shell32), u"#1", 2));
  const std::string source = testing::PefileResources(shell32);
  const std::string written = testing::PefileResources(client);
  const auto large = testing::ListedResource(source, "#3", "#4", 0);
  const auto small = testing::ListedResource(source, "#3", "#1", 0);
  ASSERT_TRUE(large && small);
  EXPECT_EQ(testing::ListedResource(written, "#3", "#1", 3081), large);
  EXPECT_EQ(testing::ListedResource(written, "#3", "#2", 3081), small);
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ClientBuilderTest, CopiesAnIconByStringName) {
  if (!testing::HaveHostPefile()) GTEST_SKIP() << testing::kHostPefileOnly;
  // A module whose icon images carry string names.
  const fs::path module = dir / "Named.dll";
  fs::copy_file(testing::BuiltStub(), module);
  const std::string wave = testing::MakeIconImage(32, 32);
  {
    auto update = pe::ResourceUpdate::Begin(module, nullptr);
    ASSERT_TRUE(update);
    update->Update(pe::ResourceId::Integer(3), pe::ResourceId::Named(u"WAVE"), 0, wave);
    ASSERT_TRUE(update->Commit(nullptr, nullptr));
  }
  ASSERT_TRUE(builder.EnsureClientExecutable(Client()));
  EXPECT_TRUE(builder.CopyClientIcon(Client(), text::FromPath(module), u"wave", 1));
  EXPECT_EQ(testing::ListedResource(testing::PefileResources(client), "#3", "#1", 3081),
            testing::Hex(wave));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(ClientBuilderTest, IconFailuresAreShownAndChangeNothing) {
  ASSERT_TRUE(builder.EnsureClientExecutable(Client()));
  const std::string built = ReadBytes(client);
  const WString stub = text::FromPath(tool / "Tidewatch.exe");
  // An .ico file is no module; a resource that is no icon image is no icon.
  WriteBytes(dir / "Icon.ico", std::string("\0\0\1\0\1\0", 6) + std::string(40, '\0'));
  const fs::path odd = dir / "Odd.dll";
  fs::copy_file(testing::BuiltStub(), odd);
  {
    auto update = pe::ResourceUpdate::Begin(odd, nullptr);
    ASSERT_TRUE(update);
    update->Update(pe::kTypeIcon, 9, 0, "definitely not an icon image");
    ASSERT_TRUE(update->Commit(nullptr, nullptr));
  }
  struct Case {
    const char* what;
    WString client, source, name, message;
  };
  const WString missingClient = text::FromPath(project / "none.exe");
  const Case cases[] = {
      {"ico file", Client(), text::FromPath(dir / "Icon.ico"), u"#1",
       u"Error opening library. This may not be a valid executable file."},
      {"missing source", Client(), text::FromPath(dir / "none.dll"), u"#1",
       u"Error opening library. This may not be a valid executable file."},
      {"no such id", Client(), stub, u"#77", u"Appropriate icon was not found in this file."},
      {"no such name", Client(), stub, u"WAVE", u"Appropriate icon was not found in this file."},
      {"empty name", Client(), stub, u"", u"Appropriate icon was not found in this file."},
      {"not an image", Client(), text::FromPath(odd), u"#9",
       u"Appropriate icon was not found in this file."},
      {"missing client", missingClient, stub, u"#1",
       u"Resource does not exist or has errors:\r\n" + missingClient},
  };
  for (const Case& c : cases) {
    prompt.Clear();
    EXPECT_FALSE(builder.CopyClientIcon(c.client, c.source, c.name, 1)) << c.what;
    EXPECT_EQ(OnlyError(), c.message) << c.what;
  }
  EXPECT_EQ(ReadBytes(client), built);
}

TEST_F(ClientBuilderTest, ASignedClientIsToldToBeSignedAgain) {
  ASSERT_TRUE(builder.EnsureClientExecutable(Client()));
  testing::AddCertificateTable(client);
  ASSERT_NE(testing::CertificateDirectory(client).second, 0u);

  ASSERT_TRUE(builder.WriteClientSettings(Client(), document.settings, document.variables));
  const auto messages = Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, kSignatureRemovedCaption);
  EXPECT_EQ(messages[0].text, kSignatureRemovedMessage);
  EXPECT_EQ(messages[0].icon, MessageIcon::Warning);
  EXPECT_EQ(testing::CertificateDirectory(client), std::make_pair(0u, 0u));

  // Once removed, later changes say nothing more.
  prompt.Clear();
  WriteBytes(dir / "p.bmp", testing::MakeBitmapFile(2, 2, 24));
  ASSERT_TRUE(builder.WriteClientBitmap(Client(), text::FromPath(dir / "p.bmp"), 205));
  EXPECT_TRUE(Messages().empty());
}

}  // namespace
}  // namespace tidewell
