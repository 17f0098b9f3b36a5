#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "signing/Ed25519.h"
#include "signing/Hex.h"
#include "signing/Sha256.h"
#include "signing/SignatureCheck.h"
#include "signing/SignatureFile.h"

namespace tidewell::signing {
namespace {

template <size_t N>
std::array<std::uint8_t, N> FromHexOrDie(std::string_view hex) {
  std::array<std::uint8_t, N> out{};
  EXPECT_TRUE(FromHex(hex, out)) << hex;
  return out;
}

std::string Bytes(std::string_view hex) {
  std::vector<std::uint8_t> out(hex.size() / 2);
  EXPECT_TRUE(FromHex(hex, out));
  return std::string(out.begin(), out.end());
}

TEST(Sha256, KnownAnswers) {
  // FIPS 180-2, appendix B.1, and the empty message.
  EXPECT_EQ(ToHex(Sha256::Of("abc")),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(ToHex(Sha256::Of("")),
            "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  // Fed in pieces, as a download arrives.
  Sha256 hash;
  hash.Update("a");
  hash.Update("");
  hash.Update("bc");
  EXPECT_EQ(ToHex(hash.Finish()), ToHex(Sha256::Of("abc")));
}

TEST(Sha256, AgreesWithLibsodiumAtEveryBlockBoundaryAndSplit) {
  // Every padding case (a length byte that fits, one that does not), whole
  // blocks, and pieces that cross blocks as a download's do.
  std::string bytes(70000, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
  for (const size_t length : {0, 1, 55, 56, 57, 63, 64, 65, 119, 120, 127, 128, 129, 1000, 65536, 70000}) {
    Digest expected{};
    crypto_hash_sha256(expected.data(), reinterpret_cast<const unsigned char*>(bytes.data()), length);
    EXPECT_EQ(Sha256::Of(std::string_view(bytes).substr(0, length)), expected) << length;
    for (const size_t piece : {1, 7, 64, 100, 4096}) {
      Sha256 hash;
      for (size_t at = 0; at < length; at += piece) hash.Update(std::string_view(bytes).substr(at, std::min(piece, length - at)));
      EXPECT_EQ(hash.Finish(), expected) << length << " in pieces of " << piece;
    }
  }
}

// RFC 8032, section 7.1, tests 1 to 3.
struct Rfc8032Case {
  const char* seed;
  const char* publicKey;
  const char* message;
  const char* signature;
};
const Rfc8032Case kRfc8032[] = {
    {"9d61b19deffd5a60ba844af492ec2cc44449c5697b326919703bac031cae7f60",
     "d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a", "",
     "e5564300c360ac729086e2cc806e828a84877f1eb8e5d974d873e065224901555fb8821590a33bacc61e39701cf9b46b"
     "d25bf5f0595bbe24655141438e7a100b"},
    {"4ccd089b28ff96da9db6c346ec114e0f5b8a319f35aba624da8cf6ed4fb8a6fb",
     "3d4017c3e843895a92b70aa74d1b7ebc9c982ccf2ec4968cc0cd55f12af4660c", "72",
     "92a009a9f0d4cab8720e820b5f642540a2b27b5416503f8fb3762223ebdb69da085ac1e43e15996e458f3613d0f11d8c"
     "387b2eaeb4302aeeb00d291612bb0c00"},
    {"c5aa8df43f9f837bedb7442f31dcb7b166d38535076f094b85ce3a2e0b4458f7",
     "fc51cd8e6218a1a38da47ed00230f0580816ed13ba3303ac5deb911548908025", "af82",
     "6291d657deec24024827e69c3abe01a30ce548a284743a445e3680d7db5ac3ac18ff9b538d16f290ae67f760984dc659"
     "4a7c15e9716ed28dc027beceea1ec40a"},
};

TEST(Ed25519, KnownAnswersOfRfc8032) {
  for (const Rfc8032Case& c : kRfc8032) {
    const KeyPair pair = KeyPairFromSeed(FromHexOrDie<32>(c.seed));
    EXPECT_EQ(ToHex(pair.publicKey), c.publicKey);
    const std::string message = Bytes(c.message);
    const Signature signature = Sign(pair, message);
    EXPECT_EQ(ToHex(signature), c.signature);
    EXPECT_TRUE(Verify(pair.publicKey, message, signature));
    Signature flipped = signature;
    flipped[7] ^= 0x01;
    EXPECT_FALSE(Verify(pair.publicKey, message, flipped));
    EXPECT_FALSE(Verify(pair.publicKey, message + "x", signature));
  }
}

TEST(Hex, BytesOfAnyLengthInTheOneFormTheFormatsWrite) {
  EXPECT_EQ(BytesFromHex(""), std::vector<std::uint8_t>{});
  EXPECT_EQ(BytesFromHex("00ff7a"), (std::vector<std::uint8_t>{0x00, 0xFF, 0x7A}));
  EXPECT_EQ(ToHex(*BytesFromHex("0123456789abcdef")), "0123456789abcdef");
  for (const char* bad : {"0", "0g", "FF", "0x12", " 12", "12 ", "+1"}) EXPECT_EQ(BytesFromHex(bad), std::nullopt) << bad;
}

TEST(Ed25519, PublicKeyTextAndFingerprint) {
  const KeyPair pair = KeyPairFromSeed(FromHexOrDie<32>(kRfc8032[0].seed));
  const std::string text = FormatPublicKey(pair.publicKey);
  EXPECT_EQ(text, "ed25519 d75a980182b10ab7d54bfed3c964073a0ee172f3daa62325af021a68f707511a");
  EXPECT_EQ(ParsePublicKey(text), pair.publicKey);
  EXPECT_FALSE(ParsePublicKey("ed25519 D75A980182B10AB7D54BFED3C964073A0EE172F3DAA62325AF021A68F707511A"));
  EXPECT_FALSE(ParsePublicKey(text.substr(0, text.size() - 2)));
  // The first 16 bytes of the key's SHA-256, in groups of four digits.
  const std::string digest = ToHex(Sha256::Of(std::string(pair.publicKey.begin(), pair.publicKey.end())));
  std::string expected;
  for (size_t i = 0; i < 32; i += 4) expected += (i ? ":" : "") + digest.substr(i, 4);
  EXPECT_EQ(Fingerprint(pair.publicKey), expected);
}

TEST(ServerPath, JoinsSrcAndNameWithSlashes) {
  const struct {
    const char* src;
    const char* name;
    const char* path;
  } cases[] = {
      {"\\", "App.exe", "App.exe"},
      {"\\bin\\", "Library.dll", "bin/Library.dll"},
      {"bin", "Library.dll", "bin/Library.dll"},
      {"\\\\data\\\\more\\", "a b.txt", "data/more/a b.txt"},
      {"/web/", "x", "web/x"},
  };
  for (const auto& c : cases) EXPECT_EQ(ServerPathOf(c.src, c.name), c.path) << c.src;
  for (const char* bad : {"", "/a", "a/", "a//b", "./a", "a/../b", "a\\b", "a\tb", "\xC0\xAF",
                          "\xED\xA0\x80"})
    EXPECT_FALSE(IsServerPath(bad)) << bad;
  EXPECT_TRUE(IsServerPath("bin/\xC3\xA9t\xC3\xA9.dll"));
  EXPECT_FALSE(IsServerPath(std::string(kMaxServerPathSize + 1, 'a')));
}

// The whole line of `text` that starts with `prefix`, with its LF.
std::string LineOf(const std::string& text, const std::string& prefix) {
  const size_t start = text.find(prefix);
  return text.substr(start, text.find('\n', start) + 1 - start);
}

class SignatureFileTest : public ::testing::Test {
 protected:
  const KeyPair oldKey = KeyPairFromSeed(FromHexOrDie<32>(kRfc8032[0].seed));
  const KeyPair key = KeyPairFromSeed(FromHexOrDie<32>(kRfc8032[1].seed));
  const std::string document = "<Tidemark>\r\n</Tidemark>\r\n";

  SignatureContent Content() const {
    SignatureContent content;
    content.key = key.publicKey;
    content.serverFile = {document.size(), Sha256::Of(document)};
    content.files = {{"bin/b.dll", {3, Sha256::Of("bbb")}}, {"a.exe", {0, Sha256::Of("")}}};
    content.product = SignedProduct{"Co", "App"};
    return content;
  }
  std::string Signed(const SignatureContent& content) const {
    return WriteSignatureFile(content, key);
  }
};

TEST_F(SignatureFileTest, WritesSortedLinesAndReadsThemBack) {
  SignatureContent content = Content();
  content.keyChanges = {EndorseKey(oldKey, key.publicKey)};
  content.product = SignedProduct{"Tidewell Tests", "\xC3\x89t\xC3\xA9 | App"};
  const std::string text = Signed(content);
  const std::string body = SignatureBody(content);
  EXPECT_EQ(body,
            "Tidewell update signature 1\n"
            "key ed25519 " + ToHex(key.publicKey) + "\n"
            "key-change ed25519 " + ToHex(oldKey.publicKey) + " " + ToHex(key.publicKey) + " " +
                ToHex(content.keyChanges[0].endorsement) + "\n"
            "server-file 25 " + ToHex(Sha256::Of(document)) + "\n"
            "file 0 e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855 "
            ".tidewell-product/=Tidewell Tests/=\xC3\x89t\xC3\xA9 | App\n"
            "file 0 e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855 a.exe\n"
            "file 3 " + ToHex(Sha256::Of("bbb")) + " bin/b.dll\n");
  EXPECT_EQ(text, body + "signature ed25519 " + ToHex(Sign(key, body)) + "\n");

  std::string error;
  const auto parsed = ReadSignatureFile(text, error);
  ASSERT_TRUE(parsed) << error;
  EXPECT_EQ(parsed->signedText, body);
  EXPECT_EQ(parsed->content.keyChanges, content.keyChanges);
  EXPECT_EQ(parsed->content.product, content.product);
  EXPECT_EQ(parsed->content.serverFile, content.serverFile);
  ASSERT_EQ(parsed->content.files.size(), 2u);
  EXPECT_EQ(parsed->content.files[0].path, "a.exe");
  EXPECT_EQ(parsed->content.files[1], content.files[0]);
  EXPECT_EQ(Signed(parsed->content), text);
}

TEST_F(SignatureFileTest, RefusesEveryMalformedFile) {
  const std::string good = Signed(Content());
  const std::string body = SignatureBody(Content());
  const std::string kEmptySha = "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855";
  const std::string fileA = "file 0 " + kEmptySha + " a.exe\n";
  auto replaced = [&good](const std::string& from, const std::string& to) {
    std::string text = good;
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return text.replace(at, from.size(), to);
  };
  auto signedBody = [this](std::string text) {
    return text + "signature ed25519 " + ToHex(Sign(key, text)) + "\n";
  };
  const std::string hexKey = ToHex(key.publicKey);
  const KeyChange change = EndorseKey(oldKey, key.publicKey);
  const std::string changeLine = "key-change ed25519 " + ToHex(change.from) + " " +
                                 ToHex(change.to) + " " + ToHex(change.endorsement) + "\n";
  const std::string keyLine = "key ed25519 " + hexKey + "\n";
  const struct {
    const char* name;
    std::string text;
  } cases[] = {
      {"empty", ""},
      {"another header", replaced("signature 1", "signature 2")},
      {"CR LF line ends", replaced("\n", "\r\n")},
      {"no final line end", good.substr(0, good.size() - 1)},
      {"text after the signature", good + "\n"},
      {"no signature", body},
      {"signature twice", good + good.substr(good.find("signature ed25519"))},
      {"upper-case hex", replaced(hexKey, std::string(hexKey).replace(0, 1, "D"))},
      {"short key", replaced(hexKey, hexKey.substr(2))},
      {"key of another kind", replaced("key ed25519", "key rsa")},
      {"size with a leading zero", replaced("file 3 ", "file 03 ")},
      {"size past 64 bits", replaced("file 3 ", "file 18446744073709551616 ")},
      {"negative size", replaced("file 3 ", "file -3 ")},
      {"two blanks", replaced("file 3 ", "file 3  ")},
      {"unknown record", replaced(fileA, fileA + "mode 1\n")},
      {"files out of order", signedBody(body.substr(0, body.find("file ")) +
                                        body.substr(body.find("file 3")) + fileA)},
      {"a file twice", signedBody(body + "file 3 " + ToHex(Sha256::Of("bbb")) + " bin/b.dll\n")},
      {"parent folder in a path", replaced(" bin/b.dll", " ../b.dll")},
      {"backslash in a path", replaced(" bin/b.dll", " bin\\b.dll")},
      {"empty path", replaced(" bin/b.dll", " ")},
      {"control character in a path", replaced(" bin/b.dll", " bin/b\x01.dll")},
      {"server file missing", replaced(LineOf(body, "server-file "), "")},
      {"product record of another size", replaced("file 0 " + kEmptySha + " .tidewell", "file 1 " + kEmptySha + " .tidewell")},
      {"product record without the application", replaced("/=Co/=App", "/=Co")},
      {"product record without its marks", replaced("/=Co/=App", "/Co/App")},
      {"product record with lower-case escapes", replaced("/=Co/=App", "/=C%2fo/=App")},
      {"product record escaping a plain byte", replaced("/=Co/=App", "/=C%6F/=App")},
      {"product record with a cut escape", replaced("/=Co/=App", "/=Co/=App%2")},
      {"product record with a third part", replaced("/=Co/=App", "/=Co/=A/pp")},
      {"product record with a CR", replaced("/=Co/=App", "/=C%0Do/=App")},
      {"two product records", signedBody(std::string(body).insert(body.find("/=App\n") + 6, "file 0 " + kEmptySha + " .tidewell-product/=Co/=Apz\n"))},
      {"key change that leads elsewhere",
       replaced(keyLine, keyLine + "key-change ed25519 " + hexKey + " " +
                             ToHex(oldKey.publicKey) + " " + ToHex(change.endorsement) + "\n")},
      {"key changes that do not follow one another",
       replaced(keyLine, keyLine + changeLine + changeLine)},
      {"too large", std::string(kMaxSignatureFileSize + 1, 'a')},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_FALSE(ReadSignatureFile(c.text, error)) << c.name;
    EXPECT_FALSE(error.empty()) << c.name;
  }
  // A chain of 17 changes, one more than a file may carry.
  std::vector<KeyPair> chain;
  for (std::uint8_t i = 0; i <= kMaxKeyChanges + 1; ++i) chain.push_back(KeyPairFromSeed(Seed{i}));
  std::string manyChanges = "Tidewell update signature 1\nkey " + FormatPublicKey(chain.back().publicKey) + "\n";
  for (size_t i = 0; i + 1 < chain.size(); ++i)
    manyChanges += FormatKeyChange(EndorseKey(chain[i], chain[i + 1].publicKey)) + "\n";
  std::string error;
  EXPECT_FALSE(ReadSignatureFile(manyChanges, error));
  EXPECT_NE(error.find("more than 16 key changes"), std::string::npos) << error;
  EXPECT_TRUE(ReadSignatureFile(good, error)) << error;
  // Files of earlier tools name no product and still read.
  SignatureContent earlier = Content();
  earlier.product.reset();
  const auto read = ReadSignatureFile(Signed(earlier), error);
  ASSERT_TRUE(read) << error;
  EXPECT_EQ(read->content.product, std::nullopt);
  // Names round-trip through their record whatever they hold, empty ones too.
  for (const SignedProduct& product : {SignedProduct{"", ""}, SignedProduct{"A/B\\C %41", "\t.."},
                                       SignedProduct{"=", "\x7F%"}}) {
    SignatureContent named = Content();
    named.product = product;
    const auto back = ReadSignatureFile(Signed(named), error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->content.product, product);
    EXPECT_EQ(back->content.files.size(), 2u);
  }
}

TEST_F(SignatureFileTest, CheckAcceptsTheTrustedKeyOrAKeyItEndorsed) {
  SignatureContent content = Content();
  content.keyChanges = {EndorseKey(oldKey, key.publicKey)};
  std::string error, reason;
  const auto parsed = ReadSignatureFile(Signed(content), error);
  ASSERT_TRUE(parsed) << error;
  std::vector<PublicKey> signer;
  EXPECT_TRUE(CheckServerFile(*parsed, key.publicKey, document, signer, reason)) << reason;
  EXPECT_EQ(signer, std::vector<PublicKey>{key.publicKey});
  EXPECT_TRUE(CheckServerFile(*parsed, oldKey.publicKey, document, signer, reason)) << reason;
  EXPECT_EQ(signer, (std::vector<PublicKey>{oldKey.publicKey, key.publicKey}));

  const KeyPair stranger = KeyPairFromSeed(FromHexOrDie<32>(kRfc8032[2].seed));
  EXPECT_FALSE(CheckServerFile(*parsed, stranger.publicKey, document, signer, reason));
  EXPECT_EQ(reason, "the update is signed by another key (" + Fingerprint(key.publicKey) +
                        ") than the one this client trusts (" + Fingerprint(stranger.publicKey) + ")");
  EXPECT_FALSE(CheckServerFile(*parsed, key.publicKey, document + " ", signer, reason));
  EXPECT_EQ(reason, "the update information differs from the signed one (26 bytes, signed 25)");
  std::string sameSize = document;
  sameSize[1] = 't';
  EXPECT_FALSE(CheckServerFile(*parsed, key.publicKey, sameSize, signer, reason));

  // A change endorsed by a key other than its old one.
  SignatureContent forged = Content();
  forged.keyChanges = {KeyChange{oldKey.publicKey, key.publicKey,
                                 Sign(stranger, KeyChangeMessage(oldKey.publicKey, key.publicKey))}};
  const auto forgedFile = ReadSignatureFile(Signed(forged), error);
  ASSERT_TRUE(forgedFile) << error;
  EXPECT_FALSE(CheckServerFile(*forgedFile, oldKey.publicKey, document, signer, reason));
  EXPECT_EQ(reason, "the change to the key " + Fingerprint(key.publicKey) +
                        " is not signed by the key " + Fingerprint(oldKey.publicKey));

  // A byte of the signed text changed after signing.
  std::string text = Signed(Content());
  text[text.find("a.exe") + 4] = 'f';
  const auto changed = ReadSignatureFile(text, error);
  ASSERT_TRUE(changed) << error;
  EXPECT_FALSE(CheckServerFile(*changed, key.publicKey, document, signer, reason));
  EXPECT_EQ(reason, "the signature file's signature does not match its content");
}

}  // namespace
}  // namespace tidewell::signing
