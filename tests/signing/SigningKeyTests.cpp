#include <gtest/gtest.h>

#include <filesystem>

#include "signing/Hex.h"
#include "signing/KeyPlace.h"
#include "signing/ProjectKey.h"
#include "signing/SigningKey.h"
#include "support/EnvironmentScope.h"
#include "support/TempDir.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::EnvironmentScope;
using testing::TempDir;

signing::KeyPair KeyOf(std::uint8_t fill) {
  signing::Seed seed{};
  seed.fill(fill);
  return signing::KeyPairFromSeed(seed);
}

TEST(SigningKey, TextRoundTripAndDamagedFiles) {
  const SigningKey key = SucceedKey(SigningKey{KeyOf(1), {}}, KeyOf(2));
  const std::string text = WriteSigningKeyText(key);
  std::string error;
  const auto read = ReadSigningKeyText(text, error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(read->pair.publicKey, KeyOf(2).publicKey);
  EXPECT_EQ(read->keyChanges, key.keyChanges);
  EXPECT_EQ(WriteSigningKeyText(*read), text);

  const std::string other = signing::ToHex(KeyOf(3).publicKey);
  const std::string own = signing::ToHex(KeyOf(2).publicKey);
  const struct {
    const char* name;
    std::string text;
    const char* error;
  } cases[] = {
      {"another file", "ssh-ed25519 AAAA\n", "it is not a Tidewell signing key"},
      {"public key of another seed", std::string(text).replace(text.find(own), 64, other),
       "its public key does not belong to its secret key"},
      {"last line cut", text.substr(0, text.size() - 1), "its last line is incomplete"},
      {"forged key change",
       std::string(text).replace(text.rfind(' ') + 1, 4, "0000"),
       "a key change is not signed by its old key"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(ReadSigningKeyText(c.text, error)) << c.name;
    EXPECT_EQ(error, c.error) << c.name;
  }
}

TEST(ProjectKeyPlace, PerProjectNameInTheConfigurationFolder) {
  TempDir dir;
  EnvironmentScope environment{{"XDG_CONFIG_HOME", dir.Path().string()}, {"APPDATA", dir.Path().string()}};
  const fs::path keys = dir / "Tidewell" / "keys";
  EXPECT_EQ(ProjectKeyPath(u"Logbook"), keys / "Logbook.key");
  EXPECT_EQ(ProjectKeyPath(u"Log book 2.0"), keys / "Log book 2.0.key");
  EXPECT_EQ(ProjectKeyPath(u"../x"), keys / "%2E.%2Fx.key");
  EXPECT_EQ(ProjectKeyPath(u"a%b "), keys / "a%25b%20.key");
  EXPECT_EQ(ProjectKeyPath(u"\u00e9"), keys / "%C3%A9.key");
}

TEST(ProjectKey, MadeOnceThenReplacedWithAChangeItSigned) {
  TempDir dir;
  EnvironmentScope environment{{"XDG_CONFIG_HOME", dir.Path().string()},
                               {"APPDATA", dir.Path().string()},
                               {kSigningKeyVariable, std::nullopt}};
  std::string error;
  EXPECT_FALSE(KeyForBuild(u"Logbook", u"", false, error));
  EXPECT_EQ(error, "");
  const auto made = KeyForBuild(u"Logbook", u"", true, error);
  ASSERT_TRUE(made) << error;
  EXPECT_TRUE(made->created);
  EXPECT_EQ(made->place, dir / "Tidewell" / "keys" / "Logbook.key");
#ifndef _WIN32
  EXPECT_EQ(fs::status(made->place).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::status(made->place.parent_path()).permissions() & fs::perms::all, fs::perms::owner_all);
#endif
  const auto again = KeyForBuild(u"Logbook", u"", true, error);
  ASSERT_TRUE(again) << error;
  EXPECT_FALSE(again->created);
  EXPECT_EQ(again->key.pair.publicKey, made->key.pair.publicKey);

  const auto next = InstallProjectKey(u"Logbook", KeyOf(9), error);
  ASSERT_TRUE(next) << error;
  ASSERT_EQ(next->key.keyChanges.size(), 1u);
  EXPECT_EQ(next->key.keyChanges[0].from, made->key.pair.publicKey);
  const std::string group = signing::Fingerprint(made->key.pair.publicKey).substr(0, 4);
  const auto retired =
      LoadSigningKey(dir / "Tidewell" / "keys" / ("Logbook-" + group + ".retired.key"), error);
  ASSERT_TRUE(retired) << error;
  EXPECT_EQ(retired->pair.publicKey, made->key.pair.publicKey);

  // A pipeline's key wins over the project's, and must exist.
  const fs::path pipeline = dir / "ci.key";
  ASSERT_TRUE(SaveSigningKey(pipeline, SigningKey{KeyOf(4), {}}, error)) << error;
  {
    EnvironmentScope named{{kSigningKeyVariable, pipeline.string()}};
    const auto used = KeyForBuild(u"Logbook", u"", true, error);
    ASSERT_TRUE(used) << error;
    EXPECT_EQ(used->key.pair.publicKey, KeyOf(4).publicKey);
    EXPECT_FALSE(KeyForBuild(u"Logbook", (dir / "none.key").u16string(), true, error));
    EXPECT_NE(error.find("none.key"), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace tidewell
