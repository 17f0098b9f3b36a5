#include <gtest/gtest.h>

#include <filesystem>

#include "cli/CliRunner.h"
#include "pe/PeResourceReader.h"
#include "signing/SignatureCheck.h"
#include "signing/SigningKey.h"
#include "signing/UpdateKey.h"
#include "support/EnvironmentScope.h"
#include "support/TempDir.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::RunCli;
using testing::WriteBytes;

// A project with two files to publish, one in a folder of its own, and a
// configuration folder of its own with no pipeline key.
struct SigningCli : ::testing::Test {
  void SetUp() override {
    WriteBytes(dir / "stage" / "App.exe", std::string(5000, 'x'));
    WriteBytes(dir / "stage" / "bin" / "Lib.dll", std::string(300, 'l'));
    WriteBytes(Project(),
               "<Tidemark><FileList><Directory Name=\"&lt;ApplicationDir&gt;\">"
               "<File Name=\"App.exe\" Src=\"\\\"/><Directory Name=\"bin\">"
               "<File Name=\"Lib.dll\" Src=\"\\bin\\\"/></Directory></Directory></FileList>"
               "<ProjName>Logbook</ProjName><ClientXML>Update.xml</ClientXML>"
               "<CompanyName>Harbour Soft</CompanyName><AppTitle>Logbook</AppTitle>"
               "<AppVersion>2.0</AppVersion><UpdateVersion>2.1</UpdateVersion>"
               "<HTTPLocationFiles>http://h.example/files</HTTPLocationFiles>"
               "<HTTPLocationXML>http://h.example/Update.xml</HTTPLocationXML>"
               "<Executable>Logbook.exe</Executable><UpdateFilesDir>" +
                   (dir / "stage").string() + "</UpdateFilesDir></Tidemark>");
  }
  std::string Project() const { return (dir / "project" / "Settings.xml").string(); }
  fs::path KeyFile() const { return dir / "config" / "Tidewell" / "keys" / "Logbook.key"; }

  testing::TempDir dir;
  testing::EnvironmentScope environment{{"XDG_CONFIG_HOME", (dir / "config").string()},
                                        {"APPDATA", (dir / "config").string()},
                                        {"TIDEWELL_SIGNING_KEY", std::nullopt}};
};

signing::FileDigest DigestOf(const std::string& bytes) {
  return {bytes.size(), signing::Sha256::Of(bytes)};
}

TEST_F(SigningCli, FirstBuildMakesAKeyAndSignsTheServerFileWithoutChangingIt) {
  const std::string server = RunCli({"xml", Project(), "--form", "server"}).out;
  auto result = RunCli({"build", Project(), "--xml"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(ReadBytes(dir / "project" / "Update.xml"), server);

  std::string error;
  const auto key = LoadSigningKey(KeyFile(), error);
  ASSERT_TRUE(key) << error;
  const std::string fingerprint = signing::Fingerprint(key->pair.publicKey);
  EXPECT_EQ(result.err,
            "This project's updates are signed, and a signing key was made for it:\n" +
                KeyFile().string() + "\n\nFingerprint: " + fingerprint +
                "\n\nBack up this file and keep it private. The clients you build accept only "
                "updates signed with this key: without it, no later update can reach them.\n");
#ifndef _WIN32
  EXPECT_EQ(fs::status(KeyFile()).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
#endif
  EXPECT_FALSE(fs::exists(dir / "project" / "Logbook.key"));

  const std::string sig = ReadBytes(dir / "project" / "Update.xml.sig");
  const auto parsed = signing::ReadSignatureFile(sig, error);
  ASSERT_TRUE(parsed) << error;
  std::vector<signing::PublicKey> signer;
  EXPECT_TRUE(signing::CheckServerFile(*parsed, key->pair.publicKey, server, signer, error)) << error;
  // The product as the client's strings 5 and 4 hold it.
  EXPECT_EQ(parsed->content.product, (signing::SignedProduct{"Harbour Soft", "Logbook"}));
  const std::vector<signing::SignedFile> files = {
      {"App.exe", DigestOf(std::string(5000, 'x'))}, {"bin/Lib.dll", DigestOf(std::string(300, 'l'))}};
  EXPECT_EQ(parsed->content.files, files);

  // Built again with a changed published file: the same key, no note, and
  // the file's new record.
  WriteBytes(dir / "stage" / "bin" / "Lib.dll", std::string(300, 'L'));
  result = RunCli({"build", Project(), "--xml"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  const auto rebuilt = signing::ReadSignatureFile(ReadBytes(dir / "project" / "Update.xml.sig"), error);
  ASSERT_TRUE(rebuilt) << error;
  EXPECT_TRUE(signing::CheckServerFile(*rebuilt, key->pair.publicKey,
                                       ReadBytes(dir / "project" / "Update.xml"), signer, error))
      << error;
  EXPECT_EQ(rebuilt->content.files[1].digest, DigestOf(std::string(300, 'L')));
}

TEST_F(SigningCli, KeygenKeepsOneKeyPerProjectAndWritesPipelineKeys) {
  auto result = RunCli({"keygen", Project()});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  std::string error;
  const auto key = LoadSigningKey(KeyFile(), error);
  ASSERT_TRUE(key) << error;
  const std::string shown = "Signing key: " + KeyFile().string() +
                            "\nFingerprint: " + signing::Fingerprint(key->pair.publicKey) + "\n";
  EXPECT_EQ(result.out.rfind(shown, 0), 0u) << result.out;
  EXPECT_EQ(RunCli({"keygen", Project(), "--show"}).out, shown);

  result = RunCli({"keygen", Project()});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_NE(result.err.find("already has a signing key"), std::string::npos) << result.err;

  const fs::path pipeline = dir / "ci" / "pipeline.key";
  ASSERT_EQ(RunCli({"keygen", "--out", pipeline.string()}).exitCode, 0);
  EXPECT_EQ(RunCli({"keygen", "--out", pipeline.string()}).exitCode, 2);
  const auto other = LoadSigningKey(pipeline, error);
  ASSERT_TRUE(other) << error;
  for (const auto& arguments : {std::vector<std::string>{"build", Project(), "--xml", "--key", pipeline.string()},
                                std::vector<std::string>{"build", Project(), "--xml"}}) {
    testing::EnvironmentScope named{{"TIDEWELL_SIGNING_KEY", pipeline.string()}};
    ASSERT_EQ(RunCli(arguments).exitCode, 0);
    const auto parsed = signing::ReadSignatureFile(ReadBytes(dir / "project" / "Update.xml.sig"), error);
    ASSERT_TRUE(parsed) << error;
    EXPECT_EQ(parsed->content.key, other->pair.publicKey);
  }

  // Replaced: the old key signs the change, so its clients follow.
  ASSERT_EQ(RunCli({"keygen", Project(), "--replace"}).exitCode, 0);
  ASSERT_EQ(RunCli({"build", Project(), "--xml"}).exitCode, 0);
  const std::string server = ReadBytes(dir / "project" / "Update.xml");
  const auto parsed = signing::ReadSignatureFile(ReadBytes(dir / "project" / "Update.xml.sig"), error);
  ASSERT_TRUE(parsed) << error;
  std::vector<signing::PublicKey> signer;
  EXPECT_TRUE(signing::CheckServerFile(*parsed, key->pair.publicKey, server, signer, error)) << error;
  ASSERT_EQ(signer.size(), 2u);
  EXPECT_EQ(signer.front(), key->pair.publicKey);
  EXPECT_EQ(signer.back(), parsed->content.key);
}

TEST_F(SigningCli, TheClientCarriesThePublicKey) {
  if (!fs::exists(fs::path(TIDEWELL_BIN_DIR) / "Tidewatch.exe"))
    GTEST_SKIP() << "the stub Tidewatch.exe was not built";
  const auto result = RunCli({"build", Project(), "--client"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  std::string error;
  const auto key = LoadSigningKey(KeyFile(), error);
  ASSERT_TRUE(key) << error;
  const auto reader = pe::PeResourceReader::Open(dir / "project" / "Tidewatcher.exe", &error);
  ASSERT_TRUE(reader) << error;
  EXPECT_EQ(reader->Read(pe::ResourceId::Integer(signing::kUpdateKeyResourceType),
                         pe::ResourceId::Integer(signing::kUpdateKeyResourceId), 0x0C09),
            signing::UpdateKeyResource(key->pair.publicKey));
}

}  // namespace
}  // namespace tidewell
