#include <gtest/gtest.h>

#include <string>

#include "signing/Hex.h"
#include "signing/PatchList.h"

namespace tidewell::signing {
namespace {

KeyPair TestKey(std::uint8_t fill) {
  Seed seed{};
  seed.fill(fill);
  return KeyPairFromSeed(seed);
}

Digest Filled(std::uint8_t byte) {
  Digest digest{};
  digest.fill(byte);
  return digest;
}

PatchListContent Sample(const KeyPair& key) {
  PatchListContent content;
  content.key = key.publicKey;
  content.serverFile = {1234, Filled(0x11)};
  // Written out of order: the writer sorts.
  content.patches.push_back({"bin/App.exe", Filled(0xbb), {900, Filled(0x22)}});
  content.patches.push_back({"bin/App.exe", Filled(0xaa), {800, Filled(0x33)}});
  content.patches.push_back({"a b/Lib.dll", Filled(0xcc), {1, Filled(0x44)}});
  return content;
}

TEST(PatchList, WritesTheDocumentedLinesAndReadsThemBack) {
  const KeyPair key = TestKey(7);
  const std::string text = WritePatchList(Sample(key), key);
  const std::string h11(64, '1'), h22 = ToHex(Filled(0x22)), h33 = ToHex(Filled(0x33)),
                    h44 = ToHex(Filled(0x44));
  const std::string body = "Tidewell update patches 1\nkey " + FormatPublicKey(key.publicKey) +
                           "\nserver-file 1234 " + h11 + "\npatch " + std::string(64, 'c') + " 1 " +
                           h44 + " a b/Lib.dll\npatch " + std::string(64, 'a') + " 800 " + h33 +
                           " bin/App.exe\npatch " + std::string(64, 'b') + " 900 " + h22 +
                           " bin/App.exe\n";
  ASSERT_EQ(text.substr(0, body.size()), body);
  EXPECT_EQ(text.substr(body.size()), "signature ed25519 " + ToHex(Sign(key, body)) + "\n");

  std::string error;
  const auto parsed = ReadPatchList(text, error);
  ASSERT_TRUE(parsed) << error;
  PatchListContent sorted = Sample(key);
  std::swap(sorted.patches[0], sorted.patches[2]);
  EXPECT_EQ(parsed->content, sorted);
  EXPECT_EQ(parsed->signedText, body);
}

TEST(PatchList, AnEmptyListReadsBack) {
  const KeyPair key = TestKey(3);
  PatchListContent content;
  content.key = key.publicKey;
  content.serverFile = {0, Filled(0)};
  std::string error;
  const auto parsed = ReadPatchList(WritePatchList(content, key), error);
  ASSERT_TRUE(parsed) << error;
  EXPECT_EQ(parsed->content, content);
}

TEST(PatchList, PatchesArePublishedBesideTheFileTheyMake) {
  EXPECT_EQ(PatchServerPath("bin/App.exe", Filled(0xab)), "bin/App.exe.abababababababab.zpatch");
}

TEST(PatchList, DamagedFormsAreRefused) {
  const KeyPair key = TestKey(7);
  const std::string good = WritePatchList(Sample(key), key);
  const std::string firstPatch = "patch " + std::string(64, 'c');
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
  };
  // Re-signed with the list's own key, so only the form is wrong.
  auto resigned = [&](std::string body) {
    return body + "signature ed25519 " + ToHex(Sign(key, body)) + "\n";
  };
  const std::string body = good.substr(0, good.find("signature "));
  const std::string lastPatch = body.substr(body.rfind("patch "));
  const std::size_t second = body.find("patch " + std::string(64, 'a'));
  const std::size_t third = body.find("patch " + std::string(64, 'b'));
  const std::string swapped =
      body.substr(0, second) + body.substr(third) + body.substr(second, third - second);
  const struct {
    const char* name;
    std::string text;
    const char* error;
  } cases[] = {
      {"other header", replaced("patches 1", "patches 2"), "it does not start"},
      {"no key", replaced("key ed25519", "kee ed25519"), "line 2: the signing key"},
      {"no server file", replaced("server-file 1234", "server-file 01234"), "line 3: the server file"},
      {"short old digest", replaced(firstPatch, "patch " + std::string(63, 'c')), "line 4: malformed patch"},
      {"upper-case digest", replaced(firstPatch, "patch " + std::string(64, 'C')), "line 4: malformed patch"},
      {"leading zero size", replaced(" 1 " + ToHex(Filled(0x44)), " 01 " + ToHex(Filled(0x44))),
       "line 4: malformed patch"},
      {"no path", replaced(" a b/Lib.dll", ""), "line 4: malformed"},
      {"dot-dot path", replaced("a b/Lib.dll", "../Lib.dll"), "line 4: malformed server path"},
      {"out of order", resigned(swapped), "line 6: the patches are not listed once each in order"},
      {"repeated", resigned(body + lastPatch), "not listed once each in order"},
      {"unknown record", resigned(body + "comment x\n"), "line 7: unexpected record"},
      {"no signature", body, "the signature is missing"},
      {"text after", good + "x\n", "text follows the signature"},
      {"no final LF", good.substr(0, good.size() - 1), "does not end in LF"},
      {"other content", replaced(" 800 ", " 801 "), "the signature does not match"},
      {"signed by another key", WritePatchList(Sample(key), TestKey(9)), "the signature does not match"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ReadPatchList(c.text, error)) << c.name;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
  }
}

TEST(PatchList, ALargerListThanAClientReadsIsRefused) {
  std::string error;
  EXPECT_FALSE(ReadPatchList(std::string(kMaxPatchListSize + 1, 'x'), error));
  EXPECT_NE(error.find("larger than"), std::string::npos) << error;
}

}  // namespace
}  // namespace tidewell::signing
