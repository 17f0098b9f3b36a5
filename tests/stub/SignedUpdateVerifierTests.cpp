#include <gtest/gtest.h>

#include "SignedUpdateVerifier.h"
#include "stub/engine/EngineFakes.h"
#include "signing/SignatureFile.h"
#include "signing/UpdateKey.h"

namespace tidewatch::engine {
namespace {

namespace sg = tidewell::signing;

using testing::MemoryKeyStore;

sg::KeyPair KeyOf(std::uint8_t fill) {
  sg::Seed seed{};
  seed.fill(fill);
  return sg::KeyPairFromSeed(seed);
}

class SignedUpdateVerifierTest : public ::testing::Test {
 protected:
  const sg::KeyPair key1 = KeyOf(1), key2 = KeyOf(2);
  const std::string document = "<Tidemark><FileList/></Tidemark>";
  const std::string program = std::string(100000, 'p');
  MemoryKeyStore store;

  std::string SignatureBy(const sg::KeyPair& key, std::vector<sg::KeyChange> changes = {}) const {
    sg::SignatureContent content;
    content.key = key.publicKey;
    content.keyChanges = std::move(changes);
    content.serverFile = {document.size(), sg::Sha256::Of(document)};
    content.files = {{"bin/Program.exe", {program.size(), sg::Sha256::Of(program)}}};
    return sg::WriteSignatureFile(content, key);
  }

  // Feeds `bytes` in uneven pieces, as a download does.
  static bool Download(UpdateVerifier& verifier, std::string_view path, std::string_view bytes,
                       std::string& reason) {
    auto check = verifier.BeginFile(path);
    for (size_t at = 0; at < bytes.size();) {
      const size_t piece = std::min<size_t>(bytes.size() - at, 1 + at % 7919);
      check->Feed(reinterpret_cast<const std::uint8_t*>(bytes.data() + at), piece);
      at += piece;
    }
    return check->Finish(reason);
  }
};

TEST_F(SignedUpdateVerifierTest, AcceptsASignedUpdateAndItsFiles) {
  SignedUpdateVerifier verifier(key1.publicKey, store);
  std::string reason;
  ASSERT_TRUE(verifier.AcceptServerFile(document, SignatureBy(key1), reason)) << reason;
  EXPECT_TRUE(Download(verifier, "bin/Program.exe", program, reason)) << reason;
  EXPECT_EQ(store.saves, 0);
}

TEST_F(SignedUpdateVerifierTest, RefusesWhatWasNotPublished) {
  SignedUpdateVerifier verifier(key1.publicKey, store);
  std::string reason;
  EXPECT_FALSE(verifier.AcceptServerFile(document, std::nullopt, reason));
  EXPECT_EQ(reason, "the update information has no signature file");
  EXPECT_FALSE(Download(verifier, "bin/Program.exe", program, reason));
  EXPECT_EQ(reason, "the update information was not accepted");

  EXPECT_FALSE(verifier.AcceptServerFile(document, SignatureBy(key2), reason));
  EXPECT_EQ(reason.rfind("the update is signed by another key", 0), 0u) << reason;
  EXPECT_FALSE(verifier.AcceptServerFile(document, "Tidewell update signature 1\n", reason));
  EXPECT_EQ(reason.rfind("the signature file is damaged: ", 0), 0u) << reason;

  ASSERT_TRUE(verifier.AcceptServerFile(document, SignatureBy(key1), reason)) << reason;
  std::string changed = program;
  changed[50000] ^= 1;
  EXPECT_FALSE(Download(verifier, "bin/Program.exe", changed, reason));
  EXPECT_EQ(reason, "bin/Program.exe differs from the signed file (SHA-256)");
  EXPECT_FALSE(Download(verifier, "bin/Program.exe", program + "x", reason));
  EXPECT_EQ(reason, "bin/Program.exe has 100001 bytes, the signed file 100000");
  EXPECT_FALSE(Download(verifier, "bin/Other.dll", program, reason));
  EXPECT_EQ(reason, "bin/Other.dll is not listed in the signature file");
  EXPECT_FALSE(Download(verifier, "bin/program.exe", program, reason));
}

TEST_F(SignedUpdateVerifierTest, AKeyChangeMovesTheTrustForGood) {
  SignedUpdateVerifier verifier(key1.publicKey, store);
  std::string reason;
  const std::string changing = SignatureBy(key2, {sg::EndorseKey(key1, key2.publicKey)});
  ASSERT_TRUE(verifier.AcceptServerFile(document, changing, reason)) << reason;
  EXPECT_EQ(store.stored, sg::FormatPublicKey(key2.publicKey));
  EXPECT_TRUE(Download(verifier, "bin/Program.exe", program, reason)) << reason;

  // The client still carries key 1, but a later update signed with it is
  // refused; one signed with key 2 is accepted without a change.
  SignedUpdateVerifier later(key1.publicKey, store);
  EXPECT_FALSE(later.AcceptServerFile(document, SignatureBy(key1), reason));
  EXPECT_EQ(reason.rfind("the update is signed by another key", 0), 0u) << reason;
  EXPECT_TRUE(later.AcceptServerFile(document, SignatureBy(key2), reason)) << reason;
  EXPECT_EQ(store.saves, 1);

  store.stored = "ed25519 not-a-key";
  EXPECT_FALSE(later.AcceptServerFile(document, SignatureBy(key2), reason));
  EXPECT_EQ(reason, "the key this client moved to earlier is damaged in its settings");
}

TEST(UpdateVerifierFactory, FollowsTheClientsKeyResource) {
  MemoryKeyStore store;
  EXPECT_EQ(MakeUpdateVerifier(std::nullopt, store), nullptr);
  const sg::KeyPair key = KeyOf(3);
  const std::string resource = sg::UpdateKeyResource(key.publicKey);
  EXPECT_EQ(resource, "Tidewell update key 1\n" + sg::FormatPublicKey(key.publicKey) + "\n");
  EXPECT_NE(MakeUpdateVerifier(resource, store), nullptr);
  for (const std::string& damaged : {std::string(), resource.substr(0, resource.size() - 1),
                                    resource + "\n", "x" + resource}) {
    auto verifier = MakeUpdateVerifier(damaged, store);
    ASSERT_NE(verifier, nullptr);
    std::string reason;
    EXPECT_FALSE(verifier->AcceptServerFile("<Tidemark/>", "", reason));
    EXPECT_EQ(reason, "the client's update key resource is damaged");
  }
}

}  // namespace
}  // namespace tidewatch::engine
