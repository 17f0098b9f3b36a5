#include <sstream>

#include <gtest/gtest.h>

#include "build/BuildTestSupport.h"
#include "build/ClientBuilder.h"
#include "build/ClientStringTable.h"
#include "build/IconCatalogue.h"
#include "build/IconSelection.h"
#include "build/ToolFolder.h"
#include "pe/PeResourceReader.h"
#include "pe/ResourceUpdate.h"
#include "project/ProjectDocument.h"
#include "support/ScriptedPrompt.h"
#include "text/Text.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::PromptEvent;

// The catalogue as python3-pefile sees the module: square 32 and 16 pixel
// images in directory order.
IconCatalogue CatalogueFromPefile(const fs::path& module) {
  IconCatalogue catalogue;
  std::istringstream lines(testing::PefileIcons(module));
  std::string name, width, height;
  while (lines >> name >> width >> height) {
    if (width != height) continue;
    if (width == "32") catalogue.large.push_back(text::FromUtf8(name));
    if (width == "16") catalogue.small.push_back(text::FromUtf8(name));
  }
  return catalogue;
}

std::vector<std::pair<FieldId, WString>> Balloons(const testing::ScriptedPrompt& prompt) {
  std::vector<std::pair<FieldId, WString>> out;
  for (const PromptEvent& e : prompt.Of(PromptEvent::Kind::Balloon)) {
    EXPECT_EQ(e.caption, u"Invalid parameters");
    out.emplace_back(e.field, e.text);
  }
  return out;
}

TEST(IconCatalogue, ListsTheShellLibraryAsAnIndependentReaderSeesIt) {
  if (!testing::HaveHostPefile()) GTEST_SKIP() << testing::kHostPefileOnly;
  const fs::path shell32 = testing::WineLibrary("shell32.dll");
  if (!fs::exists(shell32)) GTEST_SKIP() << "wine's shell32.dll is not installed";
  const IconCatalogue catalogue = ReadIconCatalogue(text::FromPath(shell32));
  const IconCatalogue expected = CatalogueFromPefile(shell32);
  EXPECT_TRUE(catalogue.opened);
  EXPECT_EQ(catalogue.large.size(), 552u);
  EXPECT_EQ(catalogue.small.size(), 552u);
  EXPECT_EQ(catalogue.large, expected.large);
  EXPECT_EQ(catalogue.small, expected.small);
}

struct IconModuleTest : ::testing::Test {
  void SetUp() override {
    if (!testing::HaveStub()) GTEST_SKIP() << "the stub Tidewatch.exe was not built";
    module = dir / "Icons.dll";
    fs::copy_file(testing::BuiltStub(), module);
  }
  // Replaces the module's icon images by `images` (name, bytes), and adds a
  // 32 x 32 cursor that must never be listed.
  void SetImages(const std::vector<std::pair<pe::ResourceId, std::string>>& images) {
    auto update = pe::ResourceUpdate::Begin(module, nullptr);
    ASSERT_TRUE(update);
    update->Remove(pe::ResourceId::Integer(3), pe::ResourceId::Integer(1), 0x0C09);
    update->Remove(pe::ResourceId::Integer(3), pe::ResourceId::Integer(2), 0x0C09);
    update->Update(pe::ResourceId::Integer(1), pe::ResourceId::Integer(40), 0,
                   testing::U16(16) + testing::U16(16) + testing::MakeIconImage(32, 32));
    for (const auto& [name, bytes] : images) update->Update(pe::ResourceId::Integer(3), name, 0, bytes);
    ASSERT_TRUE(update->Commit(nullptr, nullptr));
  }
  WString Module() const { return text::FromPath(module); }

  testing::TempDir dir;
  fs::path module;
  testing::ScriptedPrompt prompt;
};

TEST_F(IconModuleTest, ListsSquare32And16ImagesByNameInDirectoryOrder) {
  if (!testing::HaveHostPefile()) GTEST_SKIP() << testing::kHostPefileOnly;
  using pe::ResourceId;
  SetImages({
      {ResourceId::Integer(30), testing::MakeIconImage(32, 32)},
      {ResourceId::Integer(7), testing::MakeIconImage(16, 16)},
      {ResourceId::Named(u"zeta"), testing::MakeIconImage(16, 16)},
      {ResourceId::Named(u"Alpha"), testing::MakeIconImage(32, 32)},
      {ResourceId::Integer(5), testing::MakeIconImage(48, 48)},
      {ResourceId::Integer(6), testing::MakeIconImage(24, 24)},
      {ResourceId::Integer(8), testing::MakeIconImage(32, 16)},
      {ResourceId::Integer(9), testing::MakePngImage(32, 32)},
      {ResourceId::Integer(10), testing::MakePngImage(256, 256)},
      {ResourceId::Integer(11), "no image at all"},
      {ResourceId::Integer(12), testing::MakeIconImage(32, 32)},  // another colour depth
  });
  const IconCatalogue catalogue = ReadIconCatalogue(Module());
  EXPECT_TRUE(catalogue.opened);
  const std::vector<WString> large = {u"Alpha", u"#9", u"#12", u"#30"};
  const std::vector<WString> small = {u"zeta", u"#7"};
  EXPECT_EQ(catalogue.large, large);
  EXPECT_EQ(catalogue.small, small);
  // pefile agrees on the order and the sizes.
  const IconCatalogue independent = CatalogueFromPefile(module);
  EXPECT_EQ(independent.large, large);
  EXPECT_EQ(independent.small, small);

  ReportMissingIcons(catalogue, prompt);
  EXPECT_TRUE(prompt.Events().empty());
}

TEST_F(IconModuleTest, OtherSizesOnlyGiveBothBalloons) {
  SetImages({{pe::ResourceId::Integer(1), testing::MakeIconImage(48, 48)},
             {pe::ResourceId::Integer(2), testing::MakeIconImage(24, 24)}});
  const IconCatalogue catalogue = ReadIconCatalogue(Module());
  EXPECT_TRUE(catalogue.opened);
  EXPECT_TRUE(catalogue.large.empty());
  EXPECT_TRUE(catalogue.small.empty());
  ReportMissingIcons(catalogue, prompt);
  const std::vector<std::pair<FieldId, WString>> expected = {
      {"iconSelection.largeList", u"No large icons exist in this file!"},
      {"iconSelection.smallList", u"No small icons exist in this file!"},
  };
  EXPECT_EQ(Balloons(prompt), expected);
}

TEST_F(IconModuleTest, OnlyTheEmptyListGetsItsBalloon) {
  SetImages({{pe::ResourceId::Integer(1), testing::MakeIconImage(16, 16)}});
  ReportMissingIcons(ReadIconCatalogue(Module()), prompt);
  const std::vector<std::pair<FieldId, WString>> expected = {
      {"iconSelection.largeList", u"No large icons exist in this file!"}};
  EXPECT_EQ(Balloons(prompt), expected);
}

TEST(IconCatalogue, AFileThatIsNoModuleListsNothing) {
  testing::TempDir dir;
  testing::WriteBytes(dir / "Icon.ico", std::string("\0\0\1\0\1\0", 6) + std::string(30, 'x'));
  testing::WriteBytes(dir / "Empty.dll", "");
  for (const char* name : {"Icon.ico", "Empty.dll", "Missing.dll"}) {
    const IconCatalogue catalogue = ReadIconCatalogue(text::FromPath(dir / name));
    EXPECT_FALSE(catalogue.opened) << name;
    EXPECT_TRUE(catalogue.large.empty() && catalogue.small.empty()) << name;
  }
}

TEST(IconCatalogue, WithoutAShellLibraryTheStubIsTheDefaultSource) {
#ifndef _WIN32
  EXPECT_EQ(DefaultIconSource(u"/opt/tidewell"), StubPath(u"/opt/tidewell"));
  EXPECT_EQ(DefaultIconSource(u"/opt/tidewell"), u"/opt/tidewell/Tidewatch.exe");
#endif
  if (!testing::HaveStub()) return;
  // The stub's own icons: image 1 large, image 2 small.
  const IconCatalogue catalogue = ReadIconCatalogue(text::FromPath(testing::BuiltStub()));
  EXPECT_EQ(catalogue.large, std::vector<WString>{u"#1"});
  EXPECT_EQ(catalogue.small, std::vector<WString>{u"#2"});
}

TEST(IconChoice, BothImagesMustBeChosenFromTheirLists) {
  IconCatalogue catalogue;
  catalogue.opened = true;
  catalogue.large = {u"#4", u"BIG"};
  catalogue.small = {u"#1"};
  struct Case {
    IconChoice choice;
    FieldId field;  // empty: accepted
    WString message;
  };
  const WString both =
      u"To change the Tidewell client icon you must click-and-select both a large and a small "
      u"icon.";
  const Case cases[] = {
      {{u"M.dll", u"BIG", u"#1"}, "", u""},
      {{u"M.dll", u"big", u"#1"}, "", u""},  // names are looked up without regard to case
      {{u"M.dll", u"", u"#1"}, "iconSelection.ok", both},
      {{u"M.dll", u"#4", u""}, "iconSelection.ok", both},
      {{u"M.dll", u"#1", u"#1"}, "iconSelection.largeList",
       u"The icon #1 is not a 32 x 32 icon image of M.dll."},
      {{u"M.dll", u"#4", u"#4"}, "iconSelection.smallList",
       u"The icon #4 is not a 16 x 16 icon image of M.dll."},
  };
  for (const Case& c : cases) {
    testing::ScriptedPrompt prompt;
    EXPECT_EQ(ValidateIconChoice(catalogue, c.choice, prompt), c.field.empty());
    if (c.field.empty()) {
      EXPECT_TRUE(prompt.Events().empty());
    } else {
      const std::vector<std::pair<FieldId, WString>> expected = {{c.field, c.message}};
      EXPECT_EQ(Balloons(prompt), expected);
    }
  }
}

using SetClientIconsTest = testing::StubProjectTest;

TEST_F(SetClientIconsTest, NeedsAProjectAndAClient) {
  document.settings.SetSetting(SettingKey::ProjName, u"");
  EXPECT_EQ(PrepareClientIcons(document, builder, prompt), CommandOutcome::Refused);
  document.settings.SetSetting(SettingKey::ProjName, u"Demo");
  fs::remove(tool / "Tidewatch.exe");
  EXPECT_EQ(PrepareClientIcons(document, builder, prompt), CommandOutcome::Failed);
  fs::copy_file(testing::BuiltStub(), tool / "Tidewatch.exe");
  EXPECT_EQ(PrepareClientIcons(document, builder, prompt), CommandOutcome::Done);
  EXPECT_TRUE(fs::exists(project / "Tidewatcher.exe"));

  const auto messages = prompt.Of(PromptEvent::Kind::Message);
  ASSERT_EQ(messages.size(), 2u);
  EXPECT_EQ(messages[0].caption, u"Error");
  EXPECT_EQ(messages[0].text,
            u"To set the Tidewell client icons you must first create a new project or save the "
            u"existing one.");
  EXPECT_EQ(messages[1].text,
            u"Error creating client executable. Some files may be missing or corrupt. Icons were "
            u"not changed at this time.");
}

TEST_F(SetClientIconsTest, ALargeIconThatFailsKeepsTheSmallOneFromBeingCopied) {
  if (!testing::HaveHostPefile()) GTEST_SKIP() << testing::kHostPefileOnly;
  ASSERT_EQ(PrepareClientIcons(document, builder, prompt), CommandOutcome::Done);
  const fs::path client = project / "Tidewatcher.exe";
  const std::string before = testing::ReadBytes(client);
  const WString stub = text::FromPath(testing::BuiltStub());

  EXPECT_FALSE(ReplaceClientIcons(builder, text::FromPath(client), {stub, u"#99", u"#2"}));
  EXPECT_EQ(testing::ReadBytes(client), before);
  EXPECT_EQ(prompt.Of(PromptEvent::Kind::Message).size(), 1u);
  // Both images are one write: a small one that fails keeps the large one out too.
  EXPECT_FALSE(ReplaceClientIcons(builder, text::FromPath(client), {stub, u"#1", u"#99"}));
  EXPECT_EQ(testing::ReadBytes(client), before);
  EXPECT_EQ(prompt.Of(PromptEvent::Kind::Message).size(), 2u);

  // The large image becomes image 1, the small one image 2.
  const fs::path shell32 = testing::WineLibrary("shell32.dll");
  if (!fs::exists(shell32)) return;
  EXPECT_TRUE(ReplaceClientIcons(builder, text::FromPath(client),
                                 {text::FromPath(shell32), u"#4", u"#1"}));
  const std::string listing = testing::PefileResources(client);
  const std::string source = testing::PefileResources(shell32);
  EXPECT_EQ(testing::ListedResource(listing, "#3", "#1", 3081),
            testing::ListedResource(source, "#3", "#4", 0));
  EXPECT_EQ(testing::ListedResource(listing, "#3", "#2", 3081),
            testing::ListedResource(source, "#3", "#1", 0));
}

TEST_F(SetClientIconsTest, ImagesCutShortAreNotCopied) {
  ASSERT_EQ(PrepareClientIcons(document, builder, prompt), CommandOutcome::Done);
  const fs::path client = project / "Tidewatcher.exe";
  const fs::path source = project / "Cut.dll";
  fs::copy_file(testing::BuiltStub(), source);
  {
    std::string large, small;
    {
      // The reader maps the module; Windows replaces no file that is mapped.
      const auto reader = pe::PeResourceReader::Open(source, nullptr);
      ASSERT_TRUE(reader);
      large = reader->Find(pe::ResourceId::Integer(3), u"#1")->bytes;
      small = reader->Find(pe::ResourceId::Integer(3), u"#2")->bytes;
    }
    auto update = pe::ResourceUpdate::Begin(source, nullptr);
    ASSERT_TRUE(update);
    update->Update(3, 1, 0x0C09, large.substr(0, 1040));
    update->Update(3, 2, 0x0C09, small.substr(0, 104));
    ASSERT_TRUE(update->Commit(nullptr, nullptr));
  }
  const std::string before = testing::ReadBytes(client);
  const WString cut = text::FromPath(source);
  EXPECT_FALSE(ReplaceClientIcons(builder, text::FromPath(client), {cut, u"#1", u"#2"}));
  EXPECT_FALSE(builder.CopyClientIcon(text::FromPath(client), cut, u"#2", kSmallIconId));
  EXPECT_EQ(testing::ReadBytes(client), before);
  const IconCatalogue catalogue = ReadIconCatalogue(cut);
  EXPECT_TRUE(catalogue.large.empty());
  EXPECT_TRUE(catalogue.small.empty());
}

}  // namespace
}  // namespace tidewell
