// The preview's text: the Welcome element of a server update file, decoded,
// with the built-in variables filled in and line breaks for an edit box.

#include <gtest/gtest.h>

#include "WelcomeText.h"
#include "project/ProjectSettings.h"
#include "project/XmlText.h"

namespace tidewatch {
namespace {

struct ExtractCase {
  const char* name;
  std::u16string file;
  WelcomeStatus status;
  std::u16string text;
};

void PrintTo(const ExtractCase& c, std::ostream* os) { *os << c.name; }

class ExtractWelcomeTest : public ::testing::TestWithParam<ExtractCase> {};

TEST_P(ExtractWelcomeTest, ReadsTheFirstWelcomeOfTheRoot) {
  const ExtractCase& c = GetParam();
  const WelcomeElement welcome = ExtractWelcome(c.file);
  EXPECT_EQ(welcome.status, c.status);
  EXPECT_EQ(welcome.text, c.text);
}

constexpr auto F = WelcomeStatus::Found;
constexpr auto N = WelcomeStatus::NoWelcome;
constexpr auto D = WelcomeStatus::NotAnUpdateFile;

INSTANTIATE_TEST_SUITE_P(
    Documents, ExtractWelcomeTest,
    ::testing::Values(
        ExtractCase{"CrLfReadAsLf", u"<Tidemark>\r\n\t<Welcome>a\r\n\r\nb</Welcome>\r\n</Tidemark>\r\n", F, u"a\n\nb"},
        ExtractCase{"LfStays", u"<Tidemark><Welcome>a\nb</Welcome></Tidemark>", F, u"a\nb"},
        ExtractCase{"LoneCrReadAsLf", u"<Tidemark><Welcome>a\rb</Welcome></Tidemark>", F, u"a\nb"},
        ExtractCase{"PredefinedEntities",
                    u"<Tidemark><Welcome>&amp;&lt;&gt;&apos;&quot;</Welcome></Tidemark>", F, u"&<>'\""},
        ExtractCase{"EscapedTwiceDecodedOnce", u"<Tidemark><Welcome>&amp;amp;</Welcome></Tidemark>", F, u"&amp;"},
        ExtractCase{"CharacterReferences",
                    u"<Tidemark><Welcome>&#65;&#x42;&#x1F600;&#13;</Welcome></Tidemark>", F,
                    u"AB\xD83D\xDE00\r"},
        ExtractCase{"UnknownAndInvalidReferencesKept",
                    u"<Tidemark><Welcome>&nbsp; & &#0; &#xD800; &#x110000; &#; &#xZ;</Welcome></Tidemark>", F,
                    u"&nbsp; & &#0; &#xD800; &#x110000; &#; &#xZ;"},
        ExtractCase{"WhiteSpaceKept", u"<Tidemark><Welcome>  a \t </Welcome></Tidemark>", F, u"  a \t "},
        ExtractCase{"CDataTakenAsWritten",
                    u"<Tidemark><Welcome>x<![CDATA[<b>&amp;</b>]]>y</Welcome></Tidemark>", F, u"x<b>&amp;</b>y"},
        ExtractCase{"CommentsAndInstructionsSkipped",
                    u"<Tidemark><Welcome>a<!-- c -->b<?pi x?>c</Welcome></Tidemark>", F, u"abc"},
        ExtractCase{"NestedElementTextIncluded",
                    u"<Tidemark><Welcome>a<b x='1'>c<i/></b>d</Welcome></Tidemark>", F, u"acd"},
        ExtractCase{"FirstOfTwo",
                    u"<Tidemark><Welcome>one</Welcome><Welcome>two</Welcome></Tidemark>", F, u"one"},
        ExtractCase{"OnlyChildrenOfTheRoot",
                    u"<Tidemark><FileList><Welcome>deep</Welcome></FileList><Welcome>top</Welcome></Tidemark>",
                    F, u"top"},
        ExtractCase{"QuotedAttributesMayHoldMarkup",
                    u"<Tidemark><FileList a=\"x>y\" b='<Welcome>'><File n=\"/>\"/></FileList>"
                    u"<Welcome>z</Welcome></Tidemark>",
                    F, u"z"},
        ExtractCase{"EmptyElement", u"<Tidemark><Welcome></Welcome></Tidemark>", F, u""},
        ExtractCase{"SelfClosingElement", u"<Tidemark><Welcome /></Tidemark>", F, u""},
        ExtractCase{"PrologSkipped",
                    u"\xFEFF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- c -->\n"
                    u"<!DOCTYPE Tidemark [<!ENTITY x \"y\">]>\n<Tidemark ver='1'><Welcome>w</Welcome></Tidemark>",
                    F, u"w"},
        ExtractCase{"TextAfterTheWelcomeNotNeeded", u"<Tidemark><Welcome>w</Welcome><Broken", F, u"w"},
        ExtractCase{"NameIsCaseSensitive", u"<Tidemark><welcome>w</welcome></Tidemark>", N, u""},
        ExtractCase{"NoWelcome", u"<Tidemark>\r\n\t<UpdateType>Normal</UpdateType>\r\n</Tidemark>\r\n", N, u""},
        ExtractCase{"EmptyRoot", u"<Tidemark/>", N, u""},
        ExtractCase{"OtherRoot", u"<Settings><Welcome>w</Welcome></Settings>", D, u""},
        ExtractCase{"RootNameIsCaseSensitive", u"<tidemark><Welcome>w</Welcome></tidemark>", D, u""},
        ExtractCase{"EmptyFile", u"", D, u""},
        ExtractCase{"NotXml", u"Hello, world", D, u""},
        ExtractCase{"WelcomeNeverEnds", u"<Tidemark><Welcome>abc", D, u""},
        ExtractCase{"WelcomeEndsWrongly", u"<Tidemark><Welcome>abc</Welcom></Tidemark>", D, u""},
        ExtractCase{"TagsCrossed", u"<Tidemark><A></B><Welcome>x</Welcome></Tidemark>", D, u""},
        ExtractCase{"AttributeNeverEnds", u"<Tidemark><A b=\"xx", D, u""},
        ExtractCase{"CommentNeverEnds", u"<Tidemark><!-- <Welcome>x</Welcome>", D, u""},
        ExtractCase{"CDataNeverEnds", u"<Tidemark><Welcome><![CDATA[x</Welcome></Tidemark>", D, u""},
        ExtractCase{"RootNeverEnds", u"<Tidemark><A>t</A>", D, u""},
        ExtractCase{"DoctypeInsideTheRoot", u"<Tidemark><!DOCTYPE x><Welcome>w</Welcome></Tidemark>", D, u""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExtractWelcome, EveryCutOfADocumentAnswersWithoutFindingAPartialText) {
  const std::u16string file =
      u"<?xml version=\"1.0\"?><Tidemark><FileList a=\"1\"><File/></FileList><!-- x -->"
      u"<Welcome>Hi &amp; <![CDATA[bye]]></Welcome></Tidemark>";
  const size_t complete = file.find(u"</Welcome>") + std::u16string(u"</Welcome>").size();
  for (size_t length = 0; length < file.size(); ++length) {
    const WelcomeElement welcome = ExtractWelcome(std::u16string_view(file).substr(0, length));
    if (length < complete) {
      EXPECT_EQ(welcome.status, WelcomeStatus::NotAnUpdateFile) << "cut at " << length;
    } else {
      EXPECT_EQ(welcome.status, WelcomeStatus::Found) << "cut at " << length;
      EXPECT_EQ(welcome.text, u"Hi & bye");
    }
  }
}

TEST(ExtractWelcome, DeeplyNestedOrLongInputEnds) {
  std::u16string deep = u"<Tidemark>";
  for (int i = 0; i < 20000; ++i) deep += u"<a>";
  EXPECT_EQ(ExtractWelcome(deep).status, WelcomeStatus::NotAnUpdateFile);
  std::u16string lt(100000, u'<');
  EXPECT_EQ(ExtractWelcome(lt).status, WelcomeStatus::NotAnUpdateFile);
  std::u16string amp = u"<Tidemark><Welcome>" + std::u16string(100000, u'&') + u"</Welcome></Tidemark>";
  EXPECT_EQ(ExtractWelcome(amp).text, std::u16string(100000, u'&'));
}

struct FillCase {
  std::u16string text;
  std::u16string filled;
};

TEST(FillBuiltInVariables, FillsLoginAndPlatformOnly) {
  const FillCase cases[] = {
      {u"Hi %Login%,", u"Hi bob,"},
      {u"on %Platform%.", u"on Windows 10 (10.0.19045)."},
      {u"%Login%%Login%", u"bobbob"},
      {u"%%Login%%", u"%bob%"},
      {u"100% sure %Login", u"100% sure %Login"},
      {u"%login% %LOGIN% %platform%", u"%login% %LOGIN% %platform%"},
      {u"%Variable2% and %REG HKEY_LOCAL_MACHINE\\Software\\MyApp\\Edition|REG_SZ%",
       u"%Variable2% and %REG HKEY_LOCAL_MACHINE\\Software\\MyApp\\Edition|REG_SZ%"},
      {u"", u""},
      {u"%", u"%"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FillBuiltInVariables(c.text, u"bob", u"Windows 10 (10.0.19045)"), c.filled);
  }
}

TEST(FillBuiltInVariables, DoesNotFillInsideFilledValues) {
  EXPECT_EQ(FillBuiltInVariables(u"%Login% on %Platform%", u"x%Platform%", u"y%Login%"),
            u"x%Platform% on y%Login%");
}

TEST(WithCrLf, TurnsEveryLineBreakIntoCrLf) {
  const FillCase cases[] = {
      {u"a\nb", u"a\r\nb"},   {u"a\r\nb", u"a\r\nb"},       {u"a\rb", u"a\r\nb"},
      {u"\n\n", u"\r\n\r\n"}, {u"a\r\n\nb", u"a\r\n\r\nb"}, {u"a\r", u"a\r\n"},
      {u"\n\r", u"\r\n\r\n"}, {u"plain", u"plain"},
  };
  for (const auto& c : cases) EXPECT_EQ(WithCrLf(c.text), c.filled);
}

TEST(PrepareWelcome, ShowsTheDefaultWelcomeAsTheToolWritesIt) {
  // The server update file carries the text escaped, with CR LF line breaks.
  const tidewell::WString text = tidewell::ProjectSettings::DefaultValue(tidewell::SettingKey::Welcome);
  const std::u16string file = u"<Tidemark>\t<CompanyName>My Company</CompanyName>\r\n\t<Welcome>" +
                              tidewell::EscapeXmlText(text) + u"</Welcome>\r\n</Tidemark>\r\n";
  const PreviewText preview = PrepareWelcome(file, u"UpdateConfig.xml", u"alice", u"Windows 7 (6.1.7601)");
  EXPECT_TRUE(preview.isWelcome);
  std::u16string expected = text;
  expected.replace(expected.find(u"%Login%"), 7, u"alice");
  EXPECT_EQ(preview.text, expected);
  EXPECT_NE(preview.text.find(u"click 'Next'"), std::u16string::npos);
}

TEST(PrepareWelcome, FillsVariablesAfterDecodingEntities) {
  // "&#37;Login&#37;" decodes to "%Login%", a reference like any other.
  const PreviewText preview = PrepareWelcome(
      u"<Tidemark><Welcome>&lt;%Login%&gt; &#37;Platform&#37;\n%Variable2%</Welcome></Tidemark>", u"u.xml",
      u"bob", u"Windows 11 (10.0.22631)");
  EXPECT_TRUE(preview.isWelcome);
  EXPECT_EQ(preview.text, u"<bob> Windows 11 (10.0.22631)\r\n%Variable2%");
}

TEST(PrepareWelcome, SaysWhyThereIsNoText) {
  struct Case {
    std::optional<std::u16string> file;
    std::u16string name;
    std::u16string message;
  };
  const Case cases[] = {
      {std::nullopt, u"UpdateConfig.xml", u"The update file could not be read:\r\nUpdateConfig.xml"},
      {u"<Tidemark><Welcome>x</Welcome></Tidemark>", u"",
       u"No update file was named. The preview needs the name of the server update file after testMode."},
      {u"<Settings/>", u"My Update.xml", u"The update file is damaged or is not an update file:\r\nMy Update.xml"},
      {u"<Tidemark>\t<UpdateType>Normal</UpdateType>\r\n</Tidemark>\r\n", u"UpdateConfig.xml",
       u"The update file holds no welcome text, so the client shows no welcome page:\r\nUpdateConfig.xml"},
  };
  for (const auto& c : cases) {
    const PreviewText preview = PrepareWelcome(c.file, c.name, u"bob", u"Windows");
    EXPECT_FALSE(preview.isWelcome);
    EXPECT_EQ(preview.text, c.message);
  }
}

}  // namespace
}  // namespace tidewatch
