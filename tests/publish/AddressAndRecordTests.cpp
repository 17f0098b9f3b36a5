#include <gtest/gtest.h>

#include "publish/CurlSession.h"
#include "publish/PublishRecord.h"
#include "publish/ReleaseAddresses.h"

namespace tidewell::publish {
namespace {

TEST(ReleaseAddresses, PlaceTheUpdateFilesRelativeToTheServerFilesFolder) {
  struct Case {
    std::string server, files;
    std::optional<std::string> prefix;
    std::string name;
  };
  const Case cases[] = {
      {"https://h.example/up/Update.xml", "https://h.example/up/files", "files", "Update.xml"},
      {"https://h.example/up/Update.xml", "https://h.example/up/files/", "files", "Update.xml"},
      {"https://h.example/up/Update.xml", "https://h.example/up", "", "Update.xml"},
      {"https://h.example/Update.xml", "https://h.example/a/b", "a/b", "Update.xml"},
      {"HTTPS://H.Example/up/Update.xml", "https://h.example/up/v%202", "v 2", "Update.xml"},
      {"https://h.example/up/My%20Update.xml", "https://h.example/up", "", "My Update.xml"},
      {"https://h.example/up/Update.xml", "https://h.example/upload", std::nullopt, "Update.xml"},
      {"https://h.example/up/Update.xml", "http://h.example/up/files", std::nullopt, "Update.xml"},
      {"https://h.example/up/Update.xml", "https://h.example:8443/up/files", std::nullopt, "Update.xml"},
      {"https://h.example/up/check.php?ed=1", "https://h.example/up/files", "files", "check.php"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.server + " " + c.files);
    ReleaseAddresses addresses;
    std::string error;
    ASSERT_TRUE(ReadReleaseAddresses(c.server, c.files, addresses, error)) << error;
    EXPECT_EQ(addresses.filesPrefix, c.prefix);
    EXPECT_EQ(addresses.serverFileName, c.name);
    EXPECT_EQ(addresses.hasQuery, c.server.find('?') != std::string::npos);
  }
}

TEST(ReleaseAddresses, RefuseWhatNoServerPathNames) {
  struct Case {
    std::string server, files, error;
  };
  const Case cases[] = {
      {"", "https://h/f", "the address of the update XML file is empty: set it on the Client page"},
      {"https://h/u.xml", "", "the address of the update files is empty: set it on the Client page"},
      {"ftp://h/u.xml", "https://h/f",
       "the address of the update XML file ftp://h/u.xml is not an http:// or https:// address"},
      {"https://h/%App%/u.xml", "https://h/f",
       "the address of the update XML file https://h/%App%/u.xml holds a variable reference, which "
       "only a client fills in"},
      {"https://h/u.xml", "https://h/%Edition%",
       "the address of the update files https://h/%Edition% holds a variable reference, which "
       "only a client fills in"},
  };
  for (const Case& c : cases) {
    ReleaseAddresses addresses;
    std::string error;
    EXPECT_FALSE(ReadReleaseAddresses(c.server, c.files, addresses, error));
    EXPECT_EQ(error, c.error);
  }
}

TEST(ReleaseAddresses, DownloadAndSignatureAddressesAreMadeAsTheClientMakesThem) {
  EXPECT_EQ(FileUrl("https://h/f", "bin/Read me+1.txt"), "https://h/f/bin/Read%20me%2B1.txt");
  EXPECT_EQ(FileUrl("https://h/f", "caf\xc3\xa9.dll"), "https://h/f/caf%C3%A9.dll");
  EXPECT_EQ(SignatureUrl("https://h/check.php?ed=2"), "https://h/check.php.sig?ed=2");
  EXPECT_EQ(SignatureUrl("https://h/Update.xml"), "https://h/Update.xml.sig");
  std::string decoded;
  EXPECT_FALSE(DecodePercent("a%2", decoded));
  EXPECT_FALSE(DecodePercent("a%zz", decoded));
  EXPECT_TRUE(DecodePercent("a%2Fb", decoded));
  EXPECT_EQ(decoded, "a/b");
}

TEST(PublishRecord, RoundTripsAndRefusesDamagedText) {
  PublishRecord record;
  record["files/App.exe"] = {12, signing::Sha256::Of("x")};
  record["files/bin/Read me.txt"] = {0, signing::Sha256::Of("")};
  const std::string text = WritePublishRecord(record);
  EXPECT_EQ(text.substr(0, 26), "Tidewell publish record 1\n");
  EXPECT_EQ(ReadPublishRecord(text), record);
  const std::string line = "file 12 " + std::string(64, 'a') + " files/App.exe\n";
  const std::string damaged[] = {
      "",
      "Tidewell publish record 2\n",
      "Tidewell publish record 1\n" + line.substr(0, line.size() - 1),  // no LF at the end
      "Tidewell publish record 1\nfile x " + std::string(64, 'a') + " a\n",
      "Tidewell publish record 1\nfile 12 " + std::string(63, 'a') + " a\n",
      "Tidewell publish record 1\nfile 12 " + std::string(64, 'g') + " a\n",
      "Tidewell publish record 1\nfile 12 " + std::string(64, 'a') + " ../a\n",
      "Tidewell publish record 1\nfolder 12 " + std::string(64, 'a') + " a\n",
  };
  for (const std::string& text : damaged) EXPECT_EQ(ReadPublishRecord(text), std::nullopt) << text;
  EXPECT_TRUE(ReadPublishRecord("Tidewell publish record 1\n" + line));
}

}  // namespace
}  // namespace tidewell::publish
