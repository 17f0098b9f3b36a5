#include <chrono>
#include <filesystem>

#include <gtest/gtest.h>

#include "support/HostOnly.h"
#include "cli/CliRunner.h"
#include "support/TempDir.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::CliResult;
using testing::ReadBytes;
using testing::RunCli;
using testing::TempDir;
using testing::WriteBytes;

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A project made with the new command, and a staged product beside it.
struct Workspace {
  TempDir dir;
  fs::path project = dir / "Projects" / "MyApp";
  std::string file = (project / "Settings.xml").string();
  fs::path stage = dir / "stage";

  Workspace() {
    fs::create_directories(dir / "Projects");
    WriteBytes(dir / "tool" / "UpdateService.exe", "service");
    const CliResult made = RunCli({"new", project.string(), "--name", "MyApp", "--tool-folder",
                                   (dir / "tool").string()});
    EXPECT_EQ(made.exitCode, 0) << made.err;
    EXPECT_EQ(made.out, file + "\n");
  }
  CliResult Run(std::vector<std::string> arguments) const {
    arguments.insert(arguments.begin() + 1, file);
    return RunCli(arguments);
  }
  std::string Xml() const { return RunCli({"xml", file}).out; }
};

TEST(FlowCommands, NewCreatesTheProjectFolderOnce) {
  Workspace w;
  EXPECT_EQ(ReadBytes(w.project / "UpdateService.exe"), "service");
  EXPECT_TRUE(Contains(ReadBytes(w.file), "<ProjName>MyApp</ProjName>"));

  const CliResult again = RunCli({"new", w.project.string(), "--name", "MyApp"});
  EXPECT_EQ(again.exitCode, 2);
  EXPECT_EQ(again.err,
            "Error: An existing project appears to exist with this name. Select a different "
            "project name or directory.\n");
  fs::create_directory(w.dir / "Empty");
  const CliResult existing = RunCli({"new", (w.dir / "Empty").string(), "--name", "E"});
  EXPECT_EQ(existing.exitCode, 2);
  EXPECT_EQ(existing.err,
            "Error: Project directory could not be created.\n" + (w.dir / "Empty").string() + "\n");
  const CliResult unnamed = RunCli({"new", (w.dir / "Other").string(), "--name", ""});
  EXPECT_EQ(unnamed.exitCode, 2);
  EXPECT_EQ(unnamed.err, "You must select an appropriate name for the project.\n");
}

TEST(FlowCommands, AddFilesAsksForTheBaseDirectory) {
#ifdef _WIN32
  GTEST_SKIP() << tidewell::testing::kLinuxHostPathsOnly;
#endif
  Workspace w;
  WriteBytes(w.stage / "App.exe", "app");
  WriteBytes(w.stage / "bin" / "Helper.dll", "dll");
  const CliResult unanswered = w.Run({"add-files", "--dest", "<ApplicationDir>",
                                      (w.stage / "App.exe").string()});
  EXPECT_EQ(unanswered.exitCode, 2);
  EXPECT_TRUE(Contains(unanswered.err, "The base directory for your HTTP updates is not set.\n"));
  EXPECT_FALSE(Contains(w.Xml(), "App.exe"));

  const CliResult added = w.Run({"add-files", "--dest", "<ApplicationDir>", "--yes",
                                 (w.stage / "App.exe").string()});
  EXPECT_EQ(added.exitCode, 0) << added.err;
  const CliResult sub = w.Run({"add-files", "--dest", "<ApplicationDir>/bin//",
                               (w.stage / "bin" / "Helper.dll").string(),
                               (w.stage / "bin" / "HELPER.DLL").string()});
  EXPECT_EQ(sub.exitCode, 1);  // the second file does not exist
  const CliResult again = w.Run({"add-files", "--dest", "<ApplicationDir>/bin//",
                                 (w.stage / "bin" / "Helper.dll").string()});
  EXPECT_EQ(again.exitCode, 0) << again.err;
  EXPECT_EQ(again.out, "Added 1 file(s) under <ApplicationDir>\\bin; 0 already present.\n");
  const std::string xml = w.Xml();
  EXPECT_TRUE(Contains(xml, "<UpdateFilesDir>" + w.stage.string() + "/</UpdateFilesDir>"));
  EXPECT_TRUE(Contains(xml, "\t\t\t<File Name=\"App.exe\"  Type=\"date\" Src=\"\\\" />\r\n"));
  EXPECT_TRUE(Contains(xml, "\t\t\t\t<File Name=\"Helper.dll\"  Type=\"date\" Src=\"\\bin\\\" />\r\n"));
}

TEST(FlowCommands, CompareAddsNewerFilesWithoutAskingToGoOn) {
  Workspace w;
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24);
  for (int i = 0; i < 150; ++i) {
    const fs::path name = "f" + std::to_string(i) + ".dat";
    WriteBytes(w.dir / "old" / name, "x");
    WriteBytes(w.stage / name, "x");
    fs::last_write_time(w.dir / "old" / name, old);
    fs::last_write_time(w.stage / name, i < 100 ? old : old + std::chrono::seconds(1));
  }
  const CliResult refused =
      w.Run({"compare", "--old", (w.dir / "old").string(), "--new", w.stage.string(), "--no"});
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_TRUE(Contains(refused.err, "(answered no)"));
  const CliResult compared =
      w.Run({"compare", "--old", (w.dir / "old").string(), "--new", w.stage.string(), "--yes"});
  EXPECT_EQ(compared.exitCode, 0) << compared.err;
  EXPECT_EQ(compared.out,
            "Added 50 file(s); 100 not newer than their old copy; 0 already present.\n");
  EXPECT_FALSE(Contains(compared.err, "Long operation"));
  EXPECT_TRUE(Contains(w.Xml(), "<File Name=\"f149.dat\""));
}

TEST(FlowCommands, SetFileFollowsThePropertiesRules) {
  Workspace w;
  WriteBytes(w.stage / "notes.txt", "plain");
  ASSERT_EQ(w.Run({"add-files", "--dest", "<WinDir>", "--yes", (w.stage / "notes.txt").string()})
                .exitCode,
            0);
  const CliResult version = w.Run({"set-file", "<WinDir>\\notes.txt", "--condition", "ver"});
  EXPECT_EQ(version.exitCode, 2);
  EXPECT_EQ(version.err, "No version information exists for this file.\n");
  const CliResult unzip = w.Run({"set-file", "<WinDir>\\notes.txt", "--unzip", "on"});
  EXPECT_EQ(unzip.exitCode, 2);
  EXPECT_EQ(unzip.err,
            "This file cannot be unzipped. It may not be a zip file, or the file is corrupt.\n");
  const CliResult changed =
      w.Run({"set-file", "<windir>\\NOTES.TXT", "--condition", "none", "--os", "Win98,winxp"});
  EXPECT_EQ(changed.exitCode, 0) << changed.err;
  EXPECT_TRUE(Contains(w.Xml(), "<File Name=\"notes.txt\" OS=\"18\"  Src=\"\\\" />"));
  EXPECT_EQ(w.Run({"set-file", "<WinDir>\\missing.txt", "--os", "all"}).exitCode, 1);
  EXPECT_EQ(w.Run({"set-file", "<WinDir>\\notes.txt", "--os", "Win31"}).exitCode, 1);
}

TEST(FlowCommands, ContentIsAddedRenamedShownAndRemoved) {
  Workspace w;
  EXPECT_EQ(w.Run({"add-registry", "--base-key", "hkey_local_machine", "--sub-key",
                   "Software\\MyApp", "--action", "Add Value", "--name", "Version", "--data", "2.1"})
                .exitCode,
            0);
  const CliResult noData = w.Run({"add-registry", "--base-key", "HKEY_CURRENT_USER", "--sub-key",
                                  "Software", "--action", "add", "--name", "V"});
  EXPECT_EQ(noData.exitCode, 2);
  EXPECT_EQ(noData.err, "This value cannot be empty\n");
  EXPECT_EQ(w.Run({"add-exec", "--dir", "<applicationdir>", "--file", "setup.exe", "--point", "4"})
                .exitCode,
            0);
  const CliResult twice =
      w.Run({"add-exec", "--dir", "<ApplicationDir>", "--file", "SETUP.EXE", "--point", "Installation complete"});
  EXPECT_EQ(twice.exitCode, 0);
  EXPECT_EQ(twice.out, "That file is already executed at that point; nothing was added.\n");
  EXPECT_EQ(w.Run({"add-exec", "--dir", "<WinDir>", "--file", "", "--point", "Welcome screen"})
                .exitCode,
            2);
  const CliResult variable = w.Run({"add-variable", "--base-key", "HKEY_LOCAL_MACHINE", "--sub-key",
                                    "Software/MyApp", "--type", "REG_SZ", "--value-name", "Edition"});
  EXPECT_EQ(variable.exitCode, 0) << variable.err;
  EXPECT_EQ(variable.out, "Variable2\n");
  const CliResult builtIn =
      w.Run({"add-variable", "--base-key", "HKEY_LOCAL_MACHINE", "--sub-key", "S", "--type",
             "REG_DWORD", "--value-name", "V", "--edit", "Login"});
  EXPECT_EQ(builtIn.exitCode, 2);
  EXPECT_EQ(builtIn.err, "You cannot change the property of in-built variables\n");
  EXPECT_EQ(w.Run({"rename-variable", "Variable2", ""}).exitCode, 0);
  EXPECT_TRUE(Contains(ReadBytes(w.file),
                       "<Variable Name=\"\" Description=\"HKEY_LOCAL_MACHINE\\Software\\MyApp\\Edition\" "
                       "Additional=\"REG_SZ\" />"));
  // Read back, the empty name became an automatic one again.
  EXPECT_EQ(w.Run({"rename-variable", "Variable2", "Edition"}).exitCode, 0);
  EXPECT_EQ(w.Run({"rename-variable", "Variable2", "X"}).exitCode, 1);

  const std::string xml = w.Xml();
  EXPECT_TRUE(Contains(xml, "<Value Name=\"Version\" Action=\"Add REG_SZ 2.1\"  />"));
  EXPECT_TRUE(Contains(xml, "<Execute Point=\"4\" File=\"&lt;ApplicationDir&gt;\\setup.exe\" />"));

  const CliResult shown = w.Run({"show"});
  EXPECT_EQ(shown.exitCode, 0);
  EXPECT_TRUE(Contains(shown.out, "  ProjName: MyApp\n"));
  EXPECT_TRUE(Contains(shown.out, "Behaviour flags (mask 32):\n"));
  EXPECT_TRUE(Contains(shown.out, "  flag.ShowWelcome (Flag5): on\n"));
  EXPECT_TRUE(Contains(shown.out,
                       "Registry operations:\n  HKEY_LOCAL_MACHINE\n    Software\n      MyApp\n"
                       "        Version  [Add REG_SZ \"2.1\"]\n"));
  EXPECT_TRUE(Contains(shown.out,
                       "Executions:\n  Installation complete\n    <ApplicationDir>\\setup.exe\n"));
  EXPECT_TRUE(Contains(shown.out, "Variables:\n  Edition  HKEY_LOCAL_MACHINE\\Software\\MyApp\\Edition  REG_SZ\n"
                                  "  Login  Inbuilt NT Login Account Name\n"));

  const CliResult removed = w.Run({"remove", "registry", "HKEY_LOCAL_MACHINE\\Software\\MyApp\\Version"});
  EXPECT_EQ(removed.exitCode, 0) << removed.err;
  EXPECT_EQ(removed.out, "Removed 4 node(s).\n");
  EXPECT_FALSE(Contains(w.Xml(), "<RegList>"));
  EXPECT_EQ(w.Run({"remove", "exec", "Installation complete\\<ApplicationDir>\\setup.exe"}).out,
            "Removed 2 node(s).\n");
  EXPECT_EQ(w.Run({"remove", "files", "nothing"}).exitCode, 1);
}

TEST(FlowCommands, DeletingTheOnlyFileOfANestedFolderRemovesThreeNodes) {
  Workspace w;
  WriteBytes(w.stage / "a.exe", "a");
  WriteBytes(w.stage / "b.exe", "b");
  ASSERT_EQ(w.Run({"add-files", "--dest", "<SystemDir>\\sub", "--yes", (w.stage / "a.exe").string()})
                .exitCode,
            0);
  ASSERT_EQ(w.Run({"add-files", "--dest", "<WinDir>", (w.stage / "b.exe").string()}).exitCode, 0);
  const CliResult removed = w.Run({"remove", "files", "<SystemDir>\\sub\\a.exe"});
  EXPECT_EQ(removed.out, "Removed 3 node(s).\n");
  const std::string xml = w.Xml();
  EXPECT_FALSE(Contains(xml, "SystemDir"));
  EXPECT_TRUE(Contains(xml, "b.exe"));
}

}  // namespace
}  // namespace tidewell
