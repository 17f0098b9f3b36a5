#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli/CliRunner.h"
#include "support/TempDir.h"

namespace tidewell {
namespace {

using testing::ReadBytes;
using testing::RunCli;
using testing::TempDir;
using testing::WriteBytes;

// The example project as the tool stores it, pointed at `stage`.
std::string ExampleProject(const std::filesystem::path& stage) {
  std::ifstream in(std::string(TIDEWELL_SOURCE_DIR) + "/example/Settings.xml.in", std::ios::binary);
  std::stringstream template_;
  template_ << in.rdbuf();
  std::string text;
  std::string line;
  while (std::getline(template_, line)) {
    const auto at = line.find("@STAGE@");
    if (at != std::string::npos) line.replace(at, 7, stage.string());
    text += line + "\r\n";
  }
  return text;
}

// A loaded value keeps the parser's LF line breaks and is saved with them.
std::string WithLoadedLineBreaks(std::string text, const std::string& element) {
  const auto open = text.find("<" + element + ">");
  const auto close = text.find("</" + element + ">");
  std::string inner = text.substr(open, close - open);
  for (size_t at = inner.find("\r\n"); at != std::string::npos; at = inner.find("\r\n", at))
    inner.erase(at, 1);
  return text.substr(0, open) + inner + text.substr(close);
}

TEST(Cli, XmlPrintsExactlyTheBytesTheProjectIsSavedAs) {
  TempDir dir;
  const std::string stored = ExampleProject(dir / "stage");
  WriteBytes(dir / "Settings.xml", stored);
  const auto result = RunCli({"xml", (dir / "Settings.xml").string()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const std::string expected = WithLoadedLineBreaks(stored, "Welcome");
  EXPECT_NE(expected, stored);
  EXPECT_EQ(result.out, expected);
  EXPECT_EQ(result.err, "");
  // Saved once more, the bytes stay the same.
  WriteBytes(dir / "Again.xml", result.out);
  EXPECT_EQ(RunCli({"xml", (dir / "Again.xml").string(), "--form", "project"}).out, expected);
}

TEST(Cli, XmlServerFormReportsAFileThatCannotBeMeasured) {
  TempDir dir;
  WriteBytes(dir / "Settings.xml", ExampleProject(dir / "missing-stage"));
  const auto result = RunCli({"xml", (dir / "Settings.xml").string(), "--form", "server"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err.rfind("File error occured:\n" + (dir / "missing-stage" / "App.exe").string() +
                                 "\n\nThe file may no longer exist or has errors. Verify file on drive.\n",
                             0),
            0u)
      << result.err;
}

TEST(Cli, XmlServerFormOfAMeasurableProject) {
  TempDir dir;
  WriteBytes(dir / "stage" / "a.txt", std::string(1234, 'a'));
  WriteBytes(dir / "Settings.xml",
             "<Tidemark><FileList><Directory Name=\"&lt;WinDir&gt;\"><File Name=\"a.txt\" Src=\"\\\"/>"
             "</Directory></FileList><ProjName>P</ProjName><UpdateFilesDir>" +
                 (dir / "stage").string() + "</UpdateFilesDir><Settings>256</Settings></Tidemark>");
  const auto result = RunCli({"xml", (dir / "Settings.xml").string(), "--form", "server"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out,
            "<Tidemark>\r\n\t<FileList>\r\n"
            "\t\t<Directory Name=\"&lt;WinDir&gt;\">\r\n"
            "\t\t\t<File Name=\"a.txt\" Size=\"1234\"  Src=\"\\\" />\r\n"
            "\t\t</Directory>\r\n"
            "\t</FileList>\r\n"
            "\t<CheckNow>CheckNow</CheckNow>\r\n"
            "\t<CompanyName>My Company</CompanyName>\r\n"
            "\t<AppTitle>My Application Title</AppTitle>\r\n"
            "\t<UpdateType>Normal</UpdateType>\r\n"
            "\t<Restart />\r\n"
            "</Tidemark>\r\n");
}

TEST(Cli, FilesThatAreNotProjectsFailWithTheLoadMessage) {
  TempDir dir;
  WriteBytes(dir / "wrong.xml", "<Project/>");
  for (const auto& file : {dir / "wrong.xml", dir / "absent.xml"}) {
    const auto result = RunCli({"xml", file.string()});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind("Errors occured while trying to load configuration.\n", 0), 0u) << result.err;
  }
}

TEST(Cli, InfoPrintsThePanelsFourLines) {
  TempDir dir;
  WriteBytes(dir / "data.bin", std::string(2048, 'd'));
  const auto result = RunCli({"info", (dir / "data.bin").string()});
  EXPECT_EQ(result.exitCode, 0);
  std::istringstream lines(result.out);
  std::string name, version, date, size;
  std::getline(lines, name);
  std::getline(lines, version);
  std::getline(lines, date);
  std::getline(lines, size);
  EXPECT_EQ(name, "FileName: data.bin");
  EXPECT_EQ(version, "Version: Not Available");
  EXPECT_EQ(date.rfind("Modified Date: ", 0), 0u);
  EXPECT_GT(date.size(), std::string("Modified Date: ").size());
  EXPECT_EQ(size, "File Size: 2 KB");

  const auto missing = RunCli({"info", (dir / "none.bin").string()});
  EXPECT_EQ(missing.out,
            "FileName: none.bin\nVersion: Not Available\nModified Date: Error reading\nFile Size: Error reading\n");
}

TEST(Cli, HelpDescribesEveryCommand) {
  const auto help = RunCli({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  for (const char* command : {"xml", "info"}) EXPECT_NE(help.out.find(command), std::string::npos) << command;
  const auto xmlHelp = RunCli({"xml", "--help"});
  EXPECT_NE(xmlHelp.out.find("--form"), std::string::npos);
  EXPECT_EQ(RunCli({"no-such-command"}).exitCode, 1);
}

}  // namespace
}  // namespace tidewell
