#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/CliRunner.h"
#include "support/TempDir.h"
#include "support/HostOnly.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::CliResult;
using testing::ReadBytes;
using testing::RunCli;
using testing::TempDir;
using testing::WriteBytes;

size_t Occurrences(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// A project file in `dir`, its base folder `stage` holding a.exe and bin/b.dll
// and a folder `staging` beside it holding d.txt. `name` empty: no ProjName.
struct StagedProject {
  TempDir dir;
  fs::path stage = dir / "stage";
  std::string file = (dir / "project" / "Settings.xml").string();

  explicit StagedProject(const std::string& name, const std::string& base = "stage/") {
    WriteBytes(stage / "a.exe", "a");
    WriteBytes(stage / "bin" / "b.dll", "b");
    WriteBytes(dir / "staging" / "d.txt", "d");
    std::string text = "<Tidemark>\r\n\t<FileList>\r\n\t\t<Directory Name=\"&lt;WinDir&gt;\">\r\n"
                       "\t\t\t<File Name=\"old.txt\"  Type=\"date\" Src=\"\\\" />\r\n"
                       "\t\t</Directory>\r\n\t</FileList>\r\n";
    if (!name.empty()) text += "\t<ProjName>" + name + "</ProjName>\r\n";
    if (!base.empty()) text += "\t<UpdateFilesDir>" + (dir / base).string() + "</UpdateFilesDir>\r\n";
    text += "\t<Settings>32</Settings>\r\n</Tidemark>\r\n";
    WriteBytes(file, text);
  }
  std::string Path(const std::string& relative) const { return (dir / relative).string(); }
  // An argument "@x" names x in the temporary folder.
  CliResult Run(std::vector<std::string> arguments) const {
    for (std::string& argument : arguments)
      if (argument.starts_with('@')) argument = Path(argument.substr(1));
    arguments.insert(arguments.begin() + 1, file);
    return RunCli(arguments);
  }
};

const std::string kUnnamedRefusal =
    "The project has no name (ProjName is empty). A project without a name can only be saved "
    "through Save As; set ProjName first. Nothing was saved.\n";

TEST(EditOutcome, EditsOfAProjectWithoutANameAreRefusedAndTheFileKept) {
#ifdef _WIN32
  GTEST_SKIP() << testing::kLinuxHostPathsOnly;
#endif
  struct Case {
    std::vector<std::string> arguments;  // FILE goes after the first
  };
  const Case cases[] = {
      {{"set", "CompanyName=X"}},
      {{"add-files", "--dest", "<ApplicationDir>", "@stage/a.exe"}},
      {{"add-variable", "--base-key", "HKEY_LOCAL_MACHINE", "--sub-key", "Software\\App", "--type",
        "REG_SZ", "--value-name", "Edition"}},
      {{"add-registry", "--base-key", "HKEY_CURRENT_USER", "--sub-key", "Software\\App",
        "--action", "Create Key"}},
      {{"add-exec", "--dir", "<ApplicationDir>", "--file", "setup.exe", "--point", "4"}},
      {{"set-file", "<WinDir>\\old.txt", "--condition", "none"}},
      {{"remove", "files", "<WinDir>\\old.txt"}},
      {{"rename-variable", "Login", "User"}},
      {{"compare", "--old", "@staging", "--new", "@stage"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments[0]);
    const StagedProject project("");
    const std::string before = ReadBytes(project.file);
    const CliResult result = project.Run(c.arguments);
    EXPECT_EQ(result.exitCode, 2) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_TRUE(result.err.ends_with(kUnnamedRefusal)) << result.err;
    EXPECT_EQ(ReadBytes(project.file), before);
  }

  // Naming the project in the same command gives it a file it can be saved to.
  const StagedProject project("");
  const CliResult named = project.Run({"set", "ProjName=Named", "CompanyName=X"});
  EXPECT_EQ(named.exitCode, 0) << named.err;
  EXPECT_NE(ReadBytes(project.file).find("\t<CompanyName>X</CompanyName>\r\n"), std::string::npos);
}

// The files a command reports added are the files the saved tree holds.
TEST(EditOutcome, AddFilesCountsWhatTheTreeKeeps) {
#ifdef _WIN32
  GTEST_SKIP() << testing::kLinuxHostPathsOnly;
#endif
  struct Case {
    std::string base;  // below the temporary folder; empty: no base yet
    std::vector<std::string> files;
    std::string newBase;
    std::vector<std::string> srcs;  // of the files added, in the order given
    size_t kept;                    // files of the tree before that are still there
  };
  const Case cases[] = {
      {"stage/", {"stage/a.exe", "staging/d.txt", "stage/bin/b.dll"}, "",
       {"\\stage\\", "\\staging\\", "\\stage\\bin\\"}, 0},
      // Setting a first base keeps the tree.
      {"", {"staging/d.txt", "stage/a.exe"}, "", {"\\staging\\", "\\stage\\"}, 1},
      {"stage/bin/", {"stage/bin/b.dll", "stage/a.exe"}, "stage/", {"\\bin\\", "\\"}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.files[0] + " " + c.files[1]);
    const StagedProject project("Demo", c.base);
    std::vector<std::string> arguments{"add-files", "--dest", "<ApplicationDir>", "--yes"};
    for (const std::string& file : c.files) arguments.push_back(project.Path(file));
    const CliResult result = project.Run(arguments);
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Added " + std::to_string(c.files.size()) +
                              " file(s) under <ApplicationDir>; 0 already present.\n");
    const std::string saved = ReadBytes(project.file);
    // The base moved once, to the folder holding every file; a tree that
    // was there before went with the move.
    EXPECT_NE(saved.find("<UpdateFilesDir>" + project.Path(c.newBase) + "</UpdateFilesDir>"),
              std::string::npos);
    EXPECT_EQ(Occurrences(saved, "<File "), c.files.size() + c.kept);
    for (size_t i = 0; i < c.files.size(); ++i) {
      const std::string name = fs::path(c.files[i]).filename().string();
      EXPECT_NE(saved.find("<File Name=\"" + name + "\"  Type=\"date\" Src=\"" + c.srcs[i] + "\" />"),
                std::string::npos)
          << name;
    }
  }
}

// A registry key path through a value is refused with its message; a
// destination with no names is the top level of the file tree.
TEST(EditOutcome, PathsThroughValuesAndToTheTopLevel) {
#ifdef _WIN32
  GTEST_SKIP() << testing::kLinuxHostPathsOnly;
#endif
  struct Case {
    std::vector<std::string> arguments;
    int exitCode;
    std::string out;
    std::string err;
    std::string saved;  // a line the project file holds afterwards; empty: unchanged
  };
  const std::string through =
      "The key path HKEY_LOCAL_MACHINE\\Software\\App\\Val\\Sub runs through a registry value, "
      "not a key. Choose a key for the operation.\n";
  const Case cases[] = {
      {{"add-registry", "--base-key", "HKEY_LOCAL_MACHINE", "--sub-key", "Software\\App\\Val\\Sub",
        "--action", "Add Value", "--name", "N", "--data", "1"},
       2, "", through, ""},
      {{"add-registry", "--base-key", "HKEY_LOCAL_MACHINE", "--sub-key", "Software\\App\\VAL\\Sub",
        "--action", "Create Key"},
       2, "",
       "The key path HKEY_LOCAL_MACHINE\\Software\\App\\VAL\\Sub runs through a registry value, "
       "not a key. Choose a key for the operation.\n",
       ""},
      {{"add-files", "--dest", "\\", "@stage/a.exe"}, 0, "Added 1 file(s) under \\; 0 already present.\n", "",
       "\r\n\t\t<File Name=\"a.exe\"  Type=\"date\" Src=\"\\\" />\r\n"},
      // A destination or program the update client would refuse to use.
      {{"add-files", "--dest", "<ApplicationDir>\\..\\outside", "--yes", "@stage/a.exe"}, 2, "",
       "The destination <ApplicationDir>\\..\\outside cannot be used: a part of it is \".\" or \"..\". The update "
       "client places files only in the folder a destination names and the folders below it.\n",
       ""},
      {{"add-files", "--dest", "<WinDir>/sub/CON.d", "--yes", "@stage/a.exe"}, 2, "",
       "The destination <WinDir>\\sub\\CON.d cannot be used: a part of it is a device name such as CON, NUL, COM1 "
       "or LPT1. The update client places files only in the folder a destination names and the folders below it.\n",
       ""},
      {{"add-exec", "--dir", "<ApplicationDir>", "--file", "..\\outside\\setup.exe", "--point", "1"}, 2, "",
       "The file-name ..\\outside\\setup.exe cannot be used: a part of it is \".\" or \"..\". The update client "
       "starts only files in the execution directory and the folders below it.\n",
       ""},
      {{"add-files", "--dest", "<ApplicationDir>\\a..b\\con1", "--yes", "@stage/a.exe"}, 0,
       "Added 1 file(s) under <ApplicationDir>\\a..b\\con1; 0 already present.\n", "", "<Directory Name=\"con1\">"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments[0] + " " + c.arguments[2]);
    const StagedProject project("Demo");
    ASSERT_EQ(project.Run({"add-registry", "--base-key", "HKEY_LOCAL_MACHINE", "--sub-key",
                           "Software\\App", "--action", "Add Value", "--name", "Val", "--data",
                           "1"})
                  .exitCode,
              0);
    const std::string before = ReadBytes(project.file);
    const CliResult result = project.Run(c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, c.err);
    if (c.saved.empty()) {
      EXPECT_EQ(ReadBytes(project.file), before);
    } else {
      EXPECT_NE(ReadBytes(project.file).find(c.saved), std::string::npos);
    }
  }
}

}  // namespace
}  // namespace tidewell
