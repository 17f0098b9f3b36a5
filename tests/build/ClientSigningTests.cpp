#include <gtest/gtest.h>

#include <cstdlib>

#include "build/BuildTestSupport.h"
#include "build/ClientBuilder.h"
#include "build/ClientSigning.h"
#include "build/ClientStringTable.h"
#include "content/VariableList.h"
#include "pe/PeResourceReader.h"
#include "build/SignCommandPreference.h"
#include "platform/ShellCommand.h"
#include "project/Preferences.h"
#include "signing/UpdateKey.h"
#include "text/Text.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::PromptEvent;
using testing::ReadBytes;
using testing::WriteBytes;
using Failure = ClientBuildResult::Failure;

std::vector<std::string> FolderListing(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// A sign command's placeholders become the quoted paths, and the shell
// gives each path back whole, whatever it holds.
TEST(SignCommand, PlaceholdersBecomePathsTheShellGivesBackWhole) {
  const fs::path file = "/work/Tidewatcher.exe", copy = "/work/signed.exe";
  const std::string f = QuoteForShell(file), s = QuoteForShell(copy);
  const struct {
    std::string command, expected;
  } cases[] = {
      {"sign {file}", "sign " + f},
      {"sign \"{file}\"", "sign " + f},
      {"sign '{file}' -out {signed}", "sign " + f + " -out " + s},
      {"sign -in=\"{file}\" -out=\"{signed}\"", "sign -in=" + f + " -out=" + s},
      {"sign {file}{signed}", "sign " + f + s},
      {"sign \"{file}' {file", "sign \"" + f + "' {file"},
      {"{file}", f},
  };
  for (const auto& c : cases) EXPECT_EQ(ExpandSignCommand(c.command, file, copy), c.expected) << c.command;

#ifndef _WIN32
  for (const std::string name : {"plain", "with blanks", "it's", "$HOME", "`id`", "a;b", "\"q\"",
                                 "back\\slash"}) {
    const ShellResult run = RunShellCommand(ExpandSignCommand("printf %s {file}", name, copy));
    EXPECT_TRUE(run.started);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, name);
  }
#endif
  EXPECT_EQ(SignCommandProblem("osslsigncode sign -in {signed}"),
            "the sign command names no {file}: it must be given the path of the client to sign");
  EXPECT_EQ(SignCommandProblem("signtool sign /a {file}"), "");
}

// The system's shell runs the command: its exit code and everything it
// wrote, errors included, come back.
TEST(ShellCommand, GivesBackTheExitCodeAndTheOutput) {
  const ShellResult failed = RunShellCommand("echo to-out && echo to-err 1>&2 && exit 3");
  EXPECT_TRUE(failed.started);
  EXPECT_EQ(failed.exitCode, 3);
  EXPECT_NE(failed.output.find("to-out"), std::string::npos) << failed.output;
  EXPECT_NE(failed.output.find("to-err"), std::string::npos) << failed.output;
  const ShellResult done = RunShellCommand("echo done");
  EXPECT_EQ(done.exitCode, 0);
  EXPECT_EQ(done.output.substr(0, 4), "done");
}

TEST(SignCommand, TheGivenCommandComesBeforeThePipelines) {
#ifdef _WIN32
  _putenv_s(kSignCommandVariable, "from-pipeline {file}");
#else
  setenv(kSignCommandVariable, " from-pipeline {file} ", 1);
#endif
  EXPECT_EQ(SignCommandFor("given {file}"), "given {file}");
  EXPECT_EQ(SignCommandFor("  "), "from-pipeline {file}");
#ifdef _WIN32
  _putenv_s(kSignCommandVariable, "");
#else
  unsetenv(kSignCommandVariable);
#endif
  EXPECT_EQ(SignCommandFor(""), "");
}

TEST(SignCommand, IsKeptPerProjectFileInThePreferences) {
  MemoryPreferences preferences;
  const WString a = u"/home/p/Logbook/Settings.xml", b = u"C:\\Projects\\Other/Settings.xml";
  EXPECT_TRUE(WriteSignCommand(preferences, a, "sign-a {file}"));
  EXPECT_TRUE(WriteSignCommand(preferences, b, "sign-b {file} {signed}"));
  EXPECT_EQ(ReadSignCommand(preferences, a), "sign-a {file}");
  EXPECT_EQ(ReadSignCommand(preferences, b), "sign-b {file} {signed}");
  EXPECT_EQ(ReadSignCommand(preferences, u"/home/p/Logbook/settings.xml"), "");
  EXPECT_EQ(preferences.Size(), 2u);
  EXPECT_TRUE(WriteSignCommand(preferences, a, "  "));
  EXPECT_EQ(ReadSignCommand(preferences, a), "");
  EXPECT_EQ(preferences.Size(), 1u);
  EXPECT_FALSE(WriteSignCommand(preferences, u"", "sign {file}"));
  EXPECT_EQ(ReadSignCommand(preferences, u""), "");
}

struct ClientBuildTest : testing::StubProjectTest {
  void SetUp() override {
    StubProjectTest::SetUp();
    if (IsSkipped()) return;
    client = project / "Tidewatcher.exe";
    document.settings.SetSetting(SettingKey::AppTitle, u"Logbook");
    key.fill(7);
  }

  bool Build(const std::string& command = {}, const signing::PublicKey* withKey = nullptr) {
    result = {};
    return builder.BuildClient(text::FromPath(client), document.settings, document.variables,
                               withKey ? withKey : &key, command, result);
  }
  std::optional<std::string> Resource(uint16_t type, uint16_t id) const {
    const auto reader = pe::PeResourceReader::Open(client, nullptr);
    if (!reader) return std::nullopt;
    return reader->Read(pe::ResourceId::Integer(type), pe::ResourceId::Integer(id), 0x0C09);
  }
  std::string Table() const {
    return *ClientStringTable::FromSettings(document.settings, document.variables).Encode();
  }
  std::vector<PromptEvent> Messages() const { return prompt.Of(PromptEvent::Kind::Message); }

  fs::path client;
  signing::PublicKey key;
  ClientBuildResult result;
};

TEST_F(ClientBuildTest, SettingsAndKeyAreOneWriteOfTheStubOrOfTheClient) {
  const std::string stub = ReadBytes(tool / "Tidewatch.exe");
  ASSERT_TRUE(Build()) << result.reason;
  EXPECT_EQ(Resource(6, 1), Table());
  EXPECT_EQ(Resource(10, 300), signing::UpdateKeyResource(key));
  EXPECT_EQ(ReadBytes(tool / "Tidewatch.exe"), stub);
  EXPECT_EQ(FolderListing(project), std::vector<std::string>{"Tidewatcher.exe"});

  // A later build keeps the picture chosen since and rewrites the rest.
  WriteBytes(dir / "p.bmp", testing::MakeBitmapFile(4, 4, 24));
  ASSERT_TRUE(builder.WriteClientBitmap(text::FromPath(client), text::FromPath(dir / "p.bmp"), 208));
  const auto picture = Resource(2, 208);
  document.settings.SetSetting(SettingKey::AppTitle, u"Logbook 2");
  signing::PublicKey other;
  other.fill(9);
  ASSERT_TRUE(Build({}, &other)) << result.reason;
  EXPECT_EQ(Resource(6, 1), Table());
  EXPECT_EQ(Resource(10, 300), signing::UpdateKeyResource(other));
  EXPECT_EQ(Resource(2, 208), picture);
  EXPECT_TRUE(Messages().empty());
  EXPECT_FALSE(result.signatureRemoved);
}

TEST_F(ClientBuildTest, WithoutAStubNoClientIsMade) {
  fs::remove(tool / "Tidewatch.exe");
  EXPECT_FALSE(Build());
  EXPECT_EQ(result.failure, Failure::NoClient);
  EXPECT_FALSE(fs::exists(client));
  // A client that is no PE file is not replaced.
  WriteBytes(client, "not a program");
  EXPECT_FALSE(Build());
  EXPECT_EQ(result.failure, Failure::Resources);
  EXPECT_EQ(ReadBytes(client), "not a program");
}

TEST_F(ClientBuildTest, ASignedStubLosesItsSignatureAndTheBuildSaysSo) {
  testing::AddCertificateTable(tool / "Tidewatch.exe");
  ASSERT_TRUE(Build()) << result.reason;
  EXPECT_TRUE(result.signatureRemoved);
  EXPECT_EQ(testing::CertificateDirectory(client), std::make_pair(0u, 0u));
  const auto messages = Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].caption, kSignatureRemovedCaption);
  EXPECT_EQ(messages[0].text, kSignatureRemovedMessage);
}

// Signing with osslsigncode and a certificate made by openssl here.
struct SignedClientBuildTest : ClientBuildTest {
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "osslsigncode and openssl run on the Linux build host only";
#else
    if (std::system("command -v osslsigncode >/dev/null && command -v openssl >/dev/null") != 0)
      GTEST_SKIP() << "osslsigncode or openssl is not installed";
    ClientBuildTest::SetUp();
    if (IsSkipped()) return;
    certificates = dir / "certificates";
    const std::string make = std::string(TIDEWELL_SOURCE_DIR) +
                             "/tests/support/make-code-signing-certificate '" +
                             certificates.string() + "'";
    ASSERT_EQ(std::system(make.c_str()), 0);
    sign = "osslsigncode sign -certs '" + (certificates / "signer.pem").string() + "' -key '" +
           (certificates / "signer.key").string() + "'";
#endif
  }
  // What osslsigncode verify says of the client, with the test's authority.
  bool Verifies() const {
    const std::string verify = "osslsigncode verify -CAfile '" + (certificates / "ca.pem").string() +
                               "' -in '" + client.string() + "' >/dev/null 2>&1";
    return std::system(verify.c_str()) == 0;
  }

  fs::path certificates;
  std::string sign;
};

TEST_F(SignedClientBuildTest, TheCompleteClientIsSignedInPlaceOrThroughACopy) {
  const struct {
    const char* what;
    std::string command;
  } cases[] = {
      {"a signed copy", sign + " -in \"{file}\" -out \"{signed}\""},
      // As signtool does: the file itself is changed.
      {"in place", sign + " -in {file} -out {file}.new && mv {file}.new {file}"},
  };
  // What a signing killed half way left is removed; another running one's stays.
  WriteBytes(project / ".Tidewatcher.exe.tidewell-signing-99999999" / "Tidewatcher.exe", "left");
  WriteBytes(project / ".Tidewatcher.exe.tidewell-signing-1" / "Tidewatcher.exe", "running");
  ASSERT_TRUE(Build(cases[0].command)) << result.reason;
  EXPECT_FALSE(fs::exists(project / ".Tidewatcher.exe.tidewell-signing-99999999"));
  EXPECT_TRUE(fs::exists(project / ".Tidewatcher.exe.tidewell-signing-1"));
  fs::remove_all(project / ".Tidewatcher.exe.tidewell-signing-1");
  for (const auto& c : cases) {
    fs::remove(client);
    prompt.Clear();
    ASSERT_TRUE(Build(c.command)) << c.what << ": " << result.reason;
    EXPECT_TRUE(result.signedClient) << c.what;
    EXPECT_TRUE(Verifies()) << c.what;
    EXPECT_EQ(Resource(6, 1), Table()) << c.what;
    EXPECT_EQ(Resource(10, 300), signing::UpdateKeyResource(key)) << c.what;
    EXPECT_EQ(FolderListing(project), std::vector<std::string>{"Tidewatcher.exe"}) << c.what;
    EXPECT_TRUE(Messages().empty()) << c.what;
    EXPECT_NE(fs::status(client).permissions() & fs::perms::owner_write, fs::perms::none);
  }

  // Built again, the old signature goes and a new one comes.
  document.settings.SetSetting(SettingKey::AppTitle, u"Logbook 2");
  ASSERT_TRUE(Build(cases[0].command)) << result.reason;
  EXPECT_TRUE(Verifies());
  EXPECT_EQ(Resource(6, 1), Table());
  const auto messages = Messages();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].text, kSignatureRenewedMessage);
}

TEST_F(SignedClientBuildTest, AFailedSigningKeepsThePreviousClientAndLeavesNothing) {
  ASSERT_TRUE(Build(sign + " -in {file} -out {signed}")) << result.reason;
  const std::string previous = ReadBytes(client);
  document.settings.SetSetting(SettingKey::AppTitle, u"Never shipped");
  const struct {
    const char* what;
    std::string command;
    Failure failure;
    std::string reason;  // a part of it
  } cases[] = {
      {"a failing command", "echo 'the token is locked' >&2; exit 3 # {file}", Failure::Signing,
       "the sign command failed (exit code 3):\nthe token is locked"},
      {"success claimed, nothing signed", "true {file}", Failure::Signing,
       "the sign command reported success, but the client it left is not signed (it carries no "
       "signature); it said (it wrote nothing)"},
      {"an unsigned copy", "cp {file} {signed}", Failure::Signing, "is not signed"},
      {"no copy at all", "echo signed {file} {signed}", Failure::Signing, "is not signed"},
      {"a broken copy", "echo broken > {signed} # {file}", Failure::Signing, "is not signed"},
      {"an unknown program", "no-such-signer-program {file}", Failure::Signing, "exit code 127"},
      {"no {file}", sign + " -in client.exe -out {signed}", Failure::Signing, "names no {file}"},
      {"a wrong key", "osslsigncode sign -certs '" + (certificates / "ca.pem").string() +
                          "' -key '" + (certificates / "signer.key").string() +
                          "' -in {file} -out {signed}",
       Failure::Signing, "exit code"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(Build(c.command)) << c.what;
    EXPECT_EQ(result.failure, c.failure) << c.what;
    EXPECT_NE(result.reason.find(c.reason), std::string::npos) << c.what << ": " << result.reason;
    EXPECT_EQ(ReadBytes(client), previous) << c.what;
    EXPECT_EQ(FolderListing(project), std::vector<std::string>{"Tidewatcher.exe"}) << c.what;
  }
  EXPECT_TRUE(Verifies());
}

}  // namespace
}  // namespace tidewell
