#include <gtest/gtest.h>

#include "SignedUpdateVerifier.h"
#include "stub/engine/EngineFakes.h"
#include "signing/Hex.h"
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

  const sg::SignedProduct product{"Harbour Soft", "Logbook"};

  std::string SignatureBy(const sg::KeyPair& key, std::vector<sg::KeyChange> changes = {},
                          std::optional<sg::SignedProduct> signedProduct = sg::SignedProduct{"Harbour Soft",
                                                                                              "Logbook"}) const {
    sg::SignatureContent content;
    content.key = key.publicKey;
    content.keyChanges = std::move(changes);
    content.product = std::move(signedProduct);
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
  SignedUpdateVerifier verifier(key1.publicKey, product, store);
  std::string reason;
  ASSERT_TRUE(verifier.AcceptServerFile(document, SignatureBy(key1), reason)) << reason;
  EXPECT_TRUE(Download(verifier, "bin/Program.exe", program, reason)) << reason;
  EXPECT_EQ(store.saves, 0);
}

TEST_F(SignedUpdateVerifierTest, RefusesWhatWasNotPublished) {
  SignedUpdateVerifier verifier(key1.publicKey, product, store);
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

TEST_F(SignedUpdateVerifierTest, RefusesASignatureForAnotherProductOrNone) {
  SignedUpdateVerifier verifier(key1.publicKey, product, store);
  std::string reason;
  EXPECT_FALSE(verifier.AcceptServerFile(document, SignatureBy(key1, {}, sg::SignedProduct{"Harbour Soft", "Tally"}),
                                         reason));
  EXPECT_EQ(reason, "the signature file is for another product (Harbour Soft, Tally) than this client's "
                    "(Harbour Soft, Logbook)");
  // Names compare exactly, as the client's strings hold them.
  EXPECT_FALSE(verifier.AcceptServerFile(document, SignatureBy(key1, {}, sg::SignedProduct{"harbour soft", "Logbook"}),
                                         reason));
  EXPECT_FALSE(verifier.AcceptServerFile(document, SignatureBy(key1, {}, std::nullopt), reason));
  EXPECT_EQ(reason, "the signature file names no product (it was made by an earlier tool; build the server file again)");
  EXPECT_FALSE(Download(verifier, "bin/Program.exe", program, reason));
}

TEST_F(SignedUpdateVerifierTest, TheBuiltInKeyIsTheRootAndAFollowedChangeRetiresTheOldKey) {
  const sg::KeyPair key3 = KeyOf(3), attacker = KeyOf(9);
  SignedUpdateVerifier verifier(key1.publicKey, product, store);
  std::string reason;
  ASSERT_TRUE(verifier.AcceptServerFile(document, SignatureBy(key2, {sg::EndorseKey(key1, key2.publicKey)}), reason))
      << reason;
  EXPECT_EQ(store.stored, sg::ToHex(key1.publicKey) + " " + sg::ToHex(key2.publicKey) + "\n");
  EXPECT_TRUE(Download(verifier, "bin/Program.exe", program, reason)) << reason;

  // The change is checked from the client's key on every run: key 2 alone is
  // a stranger, key 1 is retired, and key 1 cannot lead anywhere else.
  const struct {
    const char* name;
    std::string signature;
    std::string refusal;  // how the reason starts; empty: accepted
  } cases[] = {
      {"key 2 through the change", SignatureBy(key2, {sg::EndorseKey(key1, key2.publicKey)}), ""},
      {"key 2 without the change", SignatureBy(key2), "the update is signed by another key"},
      {"the retired key 1", SignatureBy(key1), "the update is signed by the key " + sg::Fingerprint(key1.publicKey) +
                                                   ", which this client no longer accepts"},
      {"key 1 moved to another key", SignatureBy(attacker, {sg::EndorseKey(key1, attacker.publicKey)}),
       "the key " + sg::Fingerprint(key1.publicKey) + " was moved to the key " + sg::Fingerprint(key2.publicKey)},
      {"a further change", SignatureBy(key3, {sg::EndorseKey(key1, key2.publicKey), sg::EndorseKey(key2, key3.publicKey)}),
       ""},
      {"key 2, retired by the further change", SignatureBy(key2, {sg::EndorseKey(key1, key2.publicKey)}),
       "the update is signed by the key " + sg::Fingerprint(key2.publicKey)},
  };
  for (const auto& c : cases) {
    SignedUpdateVerifier later(key1.publicKey, product, store);
    const bool accepted = later.AcceptServerFile(document, c.signature, reason);
    EXPECT_EQ(accepted, c.refusal.empty()) << c.name << ": " << reason;
    if (!accepted) EXPECT_EQ(reason.rfind(c.refusal, 0), 0u) << c.name << ": " << reason;
  }
  EXPECT_EQ(store.saves, 2);
  EXPECT_EQ(ReadFollowedKeyChanges(*store.stored),
            (FollowedKeyChanges{{key1.publicKey, key2.publicKey}, {key2.publicKey, key3.publicKey}}));
}

TEST_F(SignedUpdateVerifierTest, WhatIsKeptPerUserNeverLetsAKeyIn) {
  const sg::KeyPair attacker = KeyOf(9);
  std::string reason;
  // A planted change from the client's key to the attacker's: the attacker's
  // signature still needs a change signed by the client's key.
  store.stored = sg::ToHex(key1.publicKey) + " " + sg::ToHex(attacker.publicKey) + "\n";
  SignedUpdateVerifier verifier(key1.publicKey, product, store);
  EXPECT_FALSE(verifier.AcceptServerFile(document, SignatureBy(attacker), reason));
  EXPECT_EQ(reason.rfind("the update is signed by another key", 0), 0u) << reason;

  // A record that is not exactly what the client writes fails closed.
  const std::string change = sg::ToHex(key1.publicKey) + " " + sg::ToHex(key2.publicKey);
  for (const std::string& damaged :
       {std::string("unreadable"), change, change + "\n\n", change + "\r\n", " " + change + "\n",
        sg::FormatPublicKey(key2.publicKey) + "\n", change + "\n" + change + "\n",
        sg::ToHex(key1.publicKey) + " " + sg::ToHex(key1.publicKey) + "\n",
        std::string(change).replace(0, 1, "G") + "\n"}) {
    store.stored = damaged;
    EXPECT_FALSE(verifier.AcceptServerFile(document, SignatureBy(key1), reason)) << damaged;
    EXPECT_EQ(reason, "the key changes this client followed earlier are damaged in its settings") << damaged;
  }
  store.stored = "";
  EXPECT_TRUE(verifier.AcceptServerFile(document, SignatureBy(key1), reason)) << reason;
}

TEST(UpdateVerifierFactory, FollowsTheClientsKeyResource) {
  MemoryKeyStore store;
  const sg::SignedProduct product{"Co", "App"};
  EXPECT_EQ(MakeUpdateVerifier(std::nullopt, product, store), nullptr);
  const sg::KeyPair key = KeyOf(3);
  const std::string resource = sg::UpdateKeyResource(key.publicKey);
  EXPECT_EQ(resource, "Tidewell update key 1\n" + sg::FormatPublicKey(key.publicKey) + "\n");
  EXPECT_NE(MakeUpdateVerifier(resource, product, store), nullptr);
  for (const std::string& damaged : {std::string(), resource.substr(0, resource.size() - 1),
                                    resource + "\n", "x" + resource}) {
    auto verifier = MakeUpdateVerifier(damaged, product, store);
    ASSERT_NE(verifier, nullptr);
    std::string reason;
    EXPECT_FALSE(verifier->AcceptServerFile("<Tidemark/>", "", reason));
    EXPECT_EQ(reason, "the client's update key resource is damaged");
  }
}

}  // namespace
}  // namespace tidewatch::engine
