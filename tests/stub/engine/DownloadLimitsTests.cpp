#include <gtest/gtest.h>

#include "Download.h"
#include "EngineFakes.h"
#include "SignedUpdateVerifier.h"
#include "signing/Sha256.h"
#include "signing/SignatureFile.h"

namespace tidewatch::engine {
namespace {

using namespace testing;

TEST(Download, APartCountsOnlyWhenItStartsWhereTheRequestAsked) {
  const struct {
    const char* contentRange;
    std::uint64_t offset;
    std::optional<std::uint64_t> length;
    bool matches;
  } cases[] = {
      {"bytes 100-199/200", 100, 100, true},
      {"bytes 100-199/*", 100, std::nullopt, true},
      {"  Bytes 100-199/200 ", 100, 100, true},
      {"bytes 0-199/200", 100, 200, false},
      {"bytes 50-149/200", 100, 100, false},
      {"bytes 100-199/200", 100, 99, false},
      {"bytes 100-200/200", 100, 101, false},
      {"bytes 100-99/200", 100, std::nullopt, false},
      {"bytes */200", 100, 0, false},
      {"items 100-199/200", 100, 100, false},
      {"bytes 100-199", 100, 100, false},
      {"bytes -100-199/200", 100, 100, false},
      {"bytes 100-1x9/200", 100, 100, false},
      {"bytes 100-99999999999999999999/*", 100, std::nullopt, false},
      {"", 100, 100, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(RangeReplyMatches(c.contentRange, c.offset, c.length), c.matches) << c.contentRange;
}

// A check that knows the file's signed size and accepts whatever has it.
struct SizedVerifier : UpdateVerifier {
  std::uint64_t size = 0;
  struct Check : DownloadCheck {
    std::uint64_t size;
    explicit Check(std::uint64_t s) : size(s) {}
    void Feed(const std::uint8_t*, std::size_t) override {}
    bool Finish(std::string&) override { return true; }
    std::optional<std::uint64_t> Size() const override { return size; }
  };
  bool AcceptServerFile(std::string_view, const std::optional<std::string>&, std::string&) override { return true; }
  std::unique_ptr<DownloadCheck> BeginFile(std::string_view) override { return std::make_unique<Check>(size); }
};

TEST(Download, NothingIsWrittenPastTheSizeTheFileMayHave) {
  const std::string url = "http://127.0.0.1:8000/f.bin";
  const std::string body(120, 'x');
  const struct {
    const char* name;
    std::optional<std::int64_t> size;     // the Size attribute
    std::optional<std::uint64_t> signedSize;
    std::function<void(FakeHttp::Resource&)> serve;
    const char* failure;  // empty: downloaded
    std::size_t most;     // the most bytes the file may hold afterwards
  } cases[] = {
      {"no size, under the limit", std::nullopt, std::nullopt, [](auto&) {}, "", 120},
      {"no size, a reply that never ends", std::nullopt, std::nullopt, [](auto& r) { r.endless = true; },
       "more than the 1000 bytes", 1000},
      {"no size, a longer reply announced", std::nullopt, std::nullopt, [](auto& r) { r.body.resize(1001, 'y'); },
       "more than the 1000 bytes", 0},
      {"signed size, no Size", std::nullopt, 50, [](auto& r) { r.endless = true; }, "more than the 50 bytes", 50},
      {"the signed size before Size", 120, 50, [](auto&) {}, "more than the 50 bytes", 0},
      {"Size, a reply that never ends", 30, std::nullopt, [](auto& r) { r.endless = true; }, "more than the 30 bytes",
       30},
      {"a resumed part from elsewhere", std::nullopt, std::nullopt,
       [](auto& r) {
         r.dropAfter = 40;
         r.wrongRange = true;
       },
       "a part of it that was not asked for", 40},
      {"a part never asked for", std::nullopt, std::nullopt, [](auto& r) { r.status = 206; },
       "a part of it that was not asked for", 0},
  };
  for (const auto& c : cases) {
    FaultCounter faults;
    FakeFiles files(faults);
    files.folders = {u"C:\\W"};
    FakeHttp http;
    auto& resource = http.resources[url];
    resource.body = body;
    c.serve(resource);
    SizedVerifier verifier;
    if (c.signedSize) verifier.size = *c.signedSize;
    DownloadRequest request{url, u"C:\\W\\1", c.size, "f.bin", 1000};
    Failure failure;
    const bool ok = DownloadFile(http, files, c.signedSize ? &verifier : nullptr, request, {}, failure);
    EXPECT_EQ(ok, !*c.failure) << c.name << ": " << failure.what;
    if (*c.failure) {
      EXPECT_NE(failure.what.find(c.failure), std::string::npos) << c.name << ": " << failure.what;
    }
    EXPECT_LE(files.files[u"C:\\W\\1"].bytes.size(), c.most) << c.name;
    EXPECT_EQ(http.unstopped, 0) << c.name;
  }
}

// The client's own verifier gives the size the signature file lists: a
// file without a Size attribute still stops there.
TEST(Download, ASignedFileStopsAtItsSignedSize) {
  namespace sg = tidewell::signing;
  const sg::KeyPair key = sg::KeyPairFromSeed(sg::Seed{9});
  MemoryKeyStore store;
  SignedUpdateVerifier verifier{key.publicKey, {"Co", "App"}, store};
  sg::SignatureContent content;
  content.key = key.publicKey;
  content.product = sg::SignedProduct{"Co", "App"};
  const std::string document = "<Tidemark />";
  content.serverFile = {document.size(), sg::Sha256::Of(document)};
  content.files = {{"f.bin", {10, sg::Sha256::Of("0123456789")}}};
  std::string reason;
  ASSERT_TRUE(verifier.AcceptServerFile(document, sg::WriteSignatureFile(content, key), reason)) << reason;

  FaultCounter faults;
  FakeFiles files(faults);
  files.folders = {u"C:\\W"};
  FakeHttp http;
  auto& resource = http.resources["http://127.0.0.1:8000/f.bin"];
  resource.body = "0123456789";
  resource.endless = true;
  Failure failure;
  EXPECT_FALSE(DownloadFile(http, files, &verifier, {"http://127.0.0.1:8000/f.bin", u"C:\\W\\1", std::nullopt, "f.bin"},
                            {}, failure));
  EXPECT_NE(failure.what.find("more than the 10 bytes"), std::string::npos) << failure.what;
  EXPECT_LE(files.files[u"C:\\W\\1"].bytes.size(), 10u);
  EXPECT_EQ(http.unstopped, 0);
}

}  // namespace
}  // namespace tidewatch::engine
