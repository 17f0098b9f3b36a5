// The command line builds a client from a project file; python3-pefile and
// the client itself, run under wine, read back what was written.

#include <chrono>
#include <cstdlib>
#include <set>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "build/BuildTestSupport.h"
#include "cli/CliRunner.h"
#include "stub/WineRunner.h"
#include "support/FileSizeLimit.h"
#include "support/TempDir.h"
#include "support/HostOnly.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::RunCli;
using testing::WriteBytes;

const fs::path kBin = TIDEWELL_BIN_DIR;

// The string-table layout, written out here: a 16-bit count of UTF-16 code
// units, then the code units, for each of sixteen strings (ASCII here).
std::string CountedStrings(const std::vector<std::string>& strings) {
  std::string bytes;
  for (const std::string& s : strings) {
    bytes += testing::U16(static_cast<uint16_t>(s.size()));
    for (char c : s) bytes += std::string{c, '\0'};
  }
  return bytes;
}

std::string Lines(std::string text) {
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at))
    text.erase(at, 1);
  return text + "\n";
}

const std::string kProject =
    "<Tidemark>\r\n"
    "\t<VariablesList>\r\n"
    "\t\t<Variable Name=\"Variable2\" Description=\"HKEY_LOCAL_MACHINE\\Software\\Harbour\\Edition\" "
    "Additional=\"REG_SZ\" />\r\n"
    "\t</VariablesList>\r\n"
    "\t<CompanyName>Harbour Soft</CompanyName>\r\n"
    "\t<AppTitle>Logbook</AppTitle>\r\n"
    "\t<UpdateVersion>2.1</UpdateVersion>\r\n"
    "\t<ProjName>Logbook</ProjName>\r\n"
    "\t<Executable>Logbook.exe</Executable>\r\n"
    "\t<HTTPLocationFiles>http://updates.harbour.example/files</HTTPLocationFiles>\r\n"
    "\t<HTTPLocationXML>http://updates.harbour.example/check.php?ed=%Variable2%&amp;u=%Login%"
    "</HTTPLocationXML>\r\n"
    "\t<AppVersion>2.0</AppVersion>\r\n"
    "\t<Frequency>2</Frequency>\r\n"
    "\t<Settings>160</Settings>\r\n"
    "</Tidemark>\r\n";

const std::vector<std::string> kClientStrings = {
    "", "Logbook.exe",
    "http://updates.harbour.example/check.php?ed=%REG HKEY_LOCAL_MACHINE\\Software\\Harbour\\"
    "Edition|REG_SZ%&u=%Login%",
    "http://updates.harbour.example/files", "Logbook", "Harbour Soft", "", "True", "3 0", "True",
    "2.0", "CheckNow", "", "", "", ""};

struct ClientEndToEnd : ::testing::Test {
  void SetUp() override {
    if (!fs::exists(kBin / "Tidewatch.exe")) GTEST_SKIP() << "the stub Tidewatch.exe was not built";
    project = dir / "Logbook project";
    fs::create_directories(project);
    WriteBytes(project / "Settings.xml", kProject);
  }
  std::string File() const { return (project / "Settings.xml").string(); }
  std::optional<std::string> Resource(const fs::path& file, const char* type, const char* name,
                                      uint16_t language) const {
    return testing::ListedResource(testing::PefileResources(file), type, name, language);
  }

  testing::TempDir dir;
  fs::path project;
};

TEST_F(ClientEndToEnd, BuildsTheClientWithItsPicturesAndIcons) {
  if (!testing::HaveHostPefile()) GTEST_SKIP() << testing::kHostPefileOnly;
  const fs::path shell32 = testing::WineLibrary("shell32.dll");
  if (!fs::exists(shell32)) GTEST_SKIP() << "wine's shell32.dll is not installed";

  auto result = RunCli({"set", File(), "ClientExe=Updater", "flag.WarnOnExit=on"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  result = RunCli({"build", File(), "--client"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out, Lines(
      "The Tidewell client launcher was successfully built. Use this executable to launch your "
      "application. Click 'View files' for output files.\r\n\r\nFor corporate usage you may also "
      "need to utilize the update service to avoid problems with highly-restricted clients. "
      "Details are on the Tidewell web site, https://tidewell.example.com/support."));
  EXPECT_EQ(result.err, "");
  const fs::path client = project / "Updater.exe";
  ASSERT_TRUE(fs::exists(client));
  EXPECT_EQ(Resource(client, "#6", "#1", 3081), testing::Hex(CountedStrings(kClientStrings)));

  const fs::path mainPicture = kBin / "Graphics" / "Main Picture" / "Tide.bmp";
  const fs::path topPicture = kBin / "Graphics" / "Top Picture" / "Dusk.bmp";
  result = RunCli({"set-picture", File(), "--main", mainPicture.string()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  result = RunCli({"set-picture", File(), "--top", topPicture.string()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  result = RunCli({"set-icons", File(), "--source", shell32.string(), "--large", "#4", "--small",
                   "#1"});
  ASSERT_EQ(result.exitCode, 0) << result.err;

  // A second build keeps pictures and icons.
  ASSERT_EQ(RunCli({"build", File(), "--client"}).exitCode, 0);
  const std::string listing = testing::PefileResources(client);
  const std::string mainBytes = ReadBytes(mainPicture), topBytes = ReadBytes(topPicture);
  EXPECT_EQ(testing::ListedResource(listing, "#2", "#208", 3081), testing::Hex(mainBytes.substr(14)));
  EXPECT_EQ(testing::ListedResource(listing, "#2", "#205", 3081), testing::Hex(topBytes.substr(14)));
  const std::string source = testing::PefileResources(shell32);
  const auto large = testing::ListedResource(source, "#3", "#4", 0);
  const auto small = testing::ListedResource(source, "#3", "#1", 0);
  EXPECT_EQ(testing::ListedResource(listing, "#3", "#1", 3081), large);
  EXPECT_EQ(testing::ListedResource(listing, "#3", "#2", 3081), small);

  // What the client's own loader sees.
  if (!testing::WineRunner::Available()) GTEST_SKIP() << "wine is not installed";
  testing::WineRunner wine;
  const testing::WineRun run = wine.Run(client, {"--dump"});
  ASSERT_TRUE(run.started);
  auto picture = [](const std::string& file, int id) {
    auto i32 = [&file](size_t at) {
      return static_cast<int32_t>(static_cast<uint8_t>(file[at]) |
                                  static_cast<uint8_t>(file[at + 1]) << 8 |
                                  static_cast<uint8_t>(file[at + 2]) << 16 |
                                  static_cast<uint32_t>(static_cast<uint8_t>(file[at + 3])) << 24);
    };
    return "bitmap " + std::to_string(id) + ": " + std::to_string(i32(18)) + " x " +
           std::to_string(i32(22)) + ", " + std::to_string(file.size() - 14) + " bytes\n";
  };
  std::string expected;
  for (size_t i = 0; i < kClientStrings.size(); ++i) {
    std::string quoted;
    for (char c : kClientStrings[i]) quoted += c == '\\' ? std::string("\\\\") : std::string(1, c);
    expected += "string " + std::to_string(i) + ": \"" + quoted + "\"\n";
  }
  expected += picture(topBytes, 205) + picture(mainBytes, 208);
  expected += "icon 1: 32 x 32, " + std::to_string(large->size() / 2) + " bytes\n";
  expected += "icon 2: 16 x 16, " + std::to_string(small->size() / 2) + " bytes\n";
  EXPECT_EQ(run.out, expected);
}

TEST_F(ClientEndToEnd, RefusalsExitTwoWithTheirMessage) {
  const std::string stored = ReadBytes(project / "Settings.xml");
  auto result = RunCli({"set", File(), "AppTitle=Other", "UpdateVersion=1.5"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err,
            "The update version must be greater than the application version. Try again.\n");
  EXPECT_EQ(ReadBytes(project / "Settings.xml"), stored);

  result = RunCli({"set", File(), "NoSuchKey=1"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Unknown setting: NoSuchKey\n");

  ASSERT_EQ(RunCli({"set", File(), "UpdateVersion="}).exitCode, 0);
  result = RunCli({"build", File(), "--xml"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err, Lines(
      "No value was specified for the Update Version. This value is necessary to know when "
      "updates are required. Set this value by clicking on 'Version Configuration'. Build will "
      "not continue."));
  EXPECT_EQ(result.out, "");

  result = RunCli({"set-icons", File(), "--source", (kBin / "Tidewatch.exe").string(), "--large",
                   "#1", "--small", "#1"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err, "The icon #1 is not a 16 x 16 icon image of " +
                            (kBin / "Tidewatch.exe").string() + ".\n");

  // The icon request makes sure the client exists before anything is chosen.
  EXPECT_TRUE(fs::remove(project / "Tidewatcher.exe"));

  // Without a project name there is no project.
  WriteBytes(project / "Settings.xml", "<Tidemark>\r\n\t<AppVersion>1.0</AppVersion>\r\n</Tidemark>\r\n");
  result = RunCli({"build", File(), "--client"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err, Lines(
      "No project exists!\r\n\r\nTo build the update executable a project must exist.\r\nStart "
      "a new project or save the existing workspace to continue."));
  result = RunCli({"set-picture", File(), "--top", "x.bmp"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err, "No project exists. Create a new project or save the existing file first.\n");
  result = RunCli({"build", File(), "--view"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err, "No project exists. There are no files to view.\n");
  EXPECT_FALSE(fs::exists(project / "Tidewatcher.exe"));
}

// Each build first runs the pages' exchange, as a session collects its pages:
// values stored by hand or by another tool take the form the pages store.
TEST_F(ClientEndToEnd, BuildsCollectThePagesFirst) {
  struct Case {
    std::string type, frequency, reprompt;
    std::string storedType, storedSchedule;  // empty type: not written
  };
  const Case cases[] = {
      {"silent", "7", "0", "Silent", "<Frequency>-1</Frequency>\r\n\t<Reprompt>0</Reprompt>"},
      {"CRITICAL", "4", "1", "Critical", "<Frequency>4</Frequency>\r\n\t<Reprompt>1</Reprompt>"},
      {"Weekly", "-3", "2", "", "<Frequency>-1</Frequency>\r\n\t<Reprompt>-1</Reprompt>"},
  };
  const std::string frequency = "\t<Frequency>2</Frequency>\r\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    std::string stored = kProject;
    stored.replace(stored.find(frequency), frequency.size(),
                   "\t<UpdateType>" + c.type + "</UpdateType>\r\n\t<Frequency>" + c.frequency +
                       "</Frequency>\r\n\t<Reprompt>" + c.reprompt + "</Reprompt>\r\n");
    for (const char* mode : {"--client", "--xml"}) {
      WriteBytes(project / "Settings.xml", stored);
      const auto result = RunCli({"build", File(), mode});
      ASSERT_EQ(result.exitCode, 0) << result.err;
      const std::string saved = ReadBytes(project / "Settings.xml");
      EXPECT_NE(saved.find(c.storedSchedule), std::string::npos) << mode;
      EXPECT_EQ(saved.find("<UpdateType>" + c.storedType + "<") != std::string::npos,
                !c.storedType.empty());
    }
    const std::string server = ReadBytes(project / "UpdateConfig.xml");
    EXPECT_EQ(server.find("<UpdateType>" + c.storedType + "<") != std::string::npos,
              !c.storedType.empty());
    if (c.storedType != "Silent") continue;
    WriteBytes(project / "Settings.xml", stored);
    const auto preview = RunCli({"build", File(), "--preview"});
    EXPECT_EQ(preview.exitCode, 2);
    EXPECT_EQ(preview.err, "The settings are for a silent update. There is nothing to see!\n");
  }
}

TEST_F(ClientEndToEnd, FailuresExitOne) {
  ASSERT_EQ(RunCli({"build", File(), "--client"}).exitCode, 0);
  const fs::path client = project / "Tidewatcher.exe";
  const std::string built = ReadBytes(client);
  WriteBytes(dir / "notes.bmp", "These are notes, not a picture of anything at all.");
  auto result = RunCli({"set-picture", File(), "--main", (dir / "notes.bmp").string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "The chosen file is not a Windows bitmap (.bmp) that the client can show. "
                        "The client was not changed.\n");
  WriteBytes(dir / "short.bmp", "BM");
  result = RunCli({"set-picture", File(), "--main", (dir / "short.bmp").string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "The picture was not written: " + (dir / "short.bmp").string() + "\n");
  result = RunCli({"set-icons", File(), "--source", (dir / "notes.bmp").string(), "--large", "#1",
                   "--small", "#2"});
  EXPECT_EQ(result.exitCode, 2);  // nothing to choose from
  EXPECT_EQ(ReadBytes(client), built);

  result = RunCli({"build", File(), "--client", "--tool-folder", (dir / "empty").string()});
  EXPECT_EQ(result.exitCode, 0);  // the client exists already: no stub needed
  fs::remove(client);
  result = RunCli({"build", File(), "--client", "--tool-folder", (dir / "empty").string()});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Error creating client executable. Some files may be missing or corrupt.\n");
  EXPECT_FALSE(fs::exists(client));
}

TEST_F(ClientEndToEnd, IconsListsWhatPefileSees) {
  if (!testing::HaveHostPefile()) GTEST_SKIP() << testing::kHostPefileOnly;
  const fs::path shell32 = testing::WineLibrary("shell32.dll");
  if (!fs::exists(shell32)) GTEST_SKIP() << "wine's shell32.dll is not installed";
  const auto result = RunCli({"icons", shell32.string()});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  std::string large, small;
  std::istringstream lines(testing::PefileIcons(shell32));
  std::string name, width, height;
  while (lines >> name >> width >> height) {
    if (width == height && width == "32") large += "large " + name + "\n";
    if (width == height && width == "16") small += "small " + name + "\n";
  }
  EXPECT_EQ(result.out, large + small);
  EXPECT_EQ(result.err, "");

  const auto stub = RunCli({"icons"});
  EXPECT_EQ(stub.exitCode, 0);
  EXPECT_EQ(stub.out, "large #1\nsmall #2\n");
  EXPECT_EQ(stub.err, "Icon source: " + (kBin / "Tidewatch.exe").string() + "\n");

  const auto none = RunCli({"icons", (dir / "missing.dll").string()});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_EQ(none.out, "");
  EXPECT_EQ(none.err, "No large icons exist in this file!\nNo small icons exist in this file!\n(" +
                          (dir / "missing.dll").string() +
                          " cannot be read as an executable or library)\n");
}

#ifndef _WIN32
// Puts recording stand-ins for wine and xdg-open first on PATH.
class FakeLaunchers {
 public:
  explicit FakeLaunchers(const fs::path& folder) : folder_(folder) {
    fs::create_directories(folder_);
    for (const char* name : {"wine", "xdg-open"}) {
      WriteBytes(folder_ / name, std::string("#!/bin/sh\nprintf '%s\\n' \"$PWD\" \"$@\" > '") +
                                     (folder_ / name).string() + ".args'\n");
      fs::permissions(folder_ / name, fs::perms::owner_all);
    }
    const char* path = std::getenv("PATH");
    saved_ = path ? path : "";
    setenv("PATH", (folder_.string() + ":" + saved_).c_str(), 1);
  }
  ~FakeLaunchers() { setenv("PATH", saved_.c_str(), 1); }
  // The working folder and arguments the stand-in was started with.
  std::string Arguments(const char* name) const {
    const fs::path file = folder_ / (std::string(name) + ".args");
    for (int i = 0; i < 200 && !fs::exists(file); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return fs::exists(file) ? ReadBytes(file) : "<not started>";
  }

 private:
  fs::path folder_;
  std::string saved_;
};
#endif

TEST_F(ClientEndToEnd, PreviewAndViewStartTheirPrograms) {
#ifdef _WIN32
  GTEST_SKIP() << "the stand-ins for wine and xdg-open are shell scripts of the Linux host";
#else
  FakeLaunchers fakes(dir / "fakes");
  auto result = RunCli({"build", File(), "--preview"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out,
            "The client was started in test mode: " + (project / "Tidewatcher.exe").string() + "\n");
  EXPECT_EQ(fakes.Arguments("wine"), project.string() + "\n" +
                                         (project / "Tidewatcher.exe").string() +
                                         "\ntestMode\nUpdateConfig.xml\n");
  EXPECT_TRUE(fs::exists(project / "UpdateConfig.xml"));

  result = RunCli({"build", File(), "--view"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(fakes.Arguments("xdg-open").substr(fakes.Arguments("xdg-open").find('\n') + 1),
            project.string() + "\n");

  ASSERT_EQ(RunCli({"set", File(), "UpdateType=Silent"}).exitCode, 0);
  result = RunCli({"build", File(), "--preview"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err, "The settings are for a silent update. There is nothing to see!\n");
#endif
}

TEST_F(ClientEndToEnd, FailedBuildsNameTheFileAndTheReason) {
#ifdef _WIN32
  GTEST_SKIP() << testing::kPosixFilesOnly;
#else
  const fs::path client = project / "Tidewatcher.exe";
  const fs::path server = project / "UpdateConfig.xml";
  struct Case {
    const char* name;
    const char* mode;
    bool clientFirst;     // a client built before the failing build
    bool serverReadOnly;  // a read-only server update file there before
    rlim_t limit;         // how far files may grow during the failing build
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"full disk, update file", "--xml", false, false, 300,
       "Errors occured while trying to build the current configuration.\n(could not write " +
           server.string() + ": File too large)\n"},
      {"read-only update file", "--xml", false, true, RLIM_INFINITY,
       "Errors occured while trying to build the current configuration.\n(cannot write " +
           server.string() + ": the file is read-only)\n"},
      {"full disk, new client", "--client", false, false, 100000,
       "Error creating client executable. Some files may be missing or corrupt.\n(could not "
       "write " + client.string() + ": File too large)\n"},
      {"full disk, client settings", "--client", true, false, 100000,
       "An error occured when trying to save resources.\n(could not write " + client.string() +
           ": File too large)\n"},
  };
  for (const Case& c : cases) {
    fs::remove(client);
    fs::remove(server);
    if (c.clientFirst) {
      ASSERT_EQ(RunCli({"build", File(), "--client"}).exitCode, 0) << c.name;
    }
    if (c.serverReadOnly) {
      WriteBytes(server, "kept");
      fs::permissions(server, fs::perms::owner_read | fs::perms::group_read);
    }
    const std::string clientBefore = fs::exists(client) ? ReadBytes(client) : "";
    testing::CliResult result;
    {
      testing::FileSizeLimit limit(c.limit);
      result = RunCli({"build", File(), c.mode});
    }
    EXPECT_EQ(result.exitCode, 1) << c.name;
    EXPECT_EQ(result.err, c.expected) << c.name;
    EXPECT_EQ(fs::exists(client) ? ReadBytes(client) : "", clientBefore) << c.name;
    EXPECT_EQ(fs::exists(server), c.serverReadOnly) << c.name;
    if (c.serverReadOnly) {
      EXPECT_EQ(ReadBytes(server), "kept") << c.name;
    }
    std::error_code ec;
    fs::permissions(server, fs::perms::owner_write, fs::perm_options::add, ec);
  }
  std::set<std::string> left;
  for (const auto& entry : fs::directory_iterator(project)) left.insert(entry.path().filename());
  EXPECT_EQ(left, (std::set<std::string>{"Settings.xml", "Tidewatcher.exe"}));
#endif
}

}  // namespace
}  // namespace tidewell
