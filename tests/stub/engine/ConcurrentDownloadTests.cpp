#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

#include "ConcurrentDownload.h"
#include "EngineFakes.h"
#include "SignedUpdateVerifier.h"
#include "signing/SignatureFile.h"
#include "signing/Sha256.h"

namespace tidewatch::engine {
namespace {

using namespace testing;
namespace sg = tidewell::signing;

const std::string kBase = "http://127.0.0.1:8000/files/";
const std::u16string kStaged = u"C:\\App\\~tidewell\\new";

// Watches like the window does, and checks that its calls never overlap.
struct Watcher : DownloadObserver {
  std::uint64_t stopAfter = 0;  // > 0: asks to stop once this many bytes arrived
  std::vector<std::size_t> started;
  std::vector<std::uint64_t> done;
  std::uint64_t total = 0;
  std::atomic<int> inside{0};
  bool overlapped = false;

  void Enter() { overlapped |= inside.fetch_add(1) != 0; }
  void Leave() { inside.fetch_sub(1); }
  void FileStarted(const std::u16string&, std::size_t index, std::size_t) override {
    Enter();
    started.push_back(index);
    Leave();
  }
  void Progress(std::uint64_t d, std::uint64_t t) override {
    Enter();
    done.push_back(d);
    total = t;
    Leave();
  }
  bool StopRequested() override {
    Enter();
    const bool stop = stopAfter && !done.empty() && done.back() >= stopAfter;
    Leave();
    return stop;
  }
};

// A list of files served to a verifier that holds every one's signed digest.
struct Served {
  FaultCounter faults;
  FakeFiles files{faults};
  FakeHttp http;
  FakeLog log;
  ThreadWorkers threads;
  MemoryKeyStore store;
  sg::KeyPair key = sg::KeyPairFromSeed(sg::Seed{7});
  SignedUpdateVerifier verifier{key.publicKey, {"Co", "App"}, store};
  std::vector<std::u16string> names;
  std::vector<DownloadRequest> requests;
  std::map<std::string, std::string> published;  // server path: the signed bytes
  std::set<std::string> unending;  // signed with a size its transfer never reaches

  Served() { files.folders = {u"C:\\App", u"C:\\App\\~tidewell", kStaged}; }

  // A file of `size` bytes, or one whose transfer runs until it is stopped.
  FakeHttp::Resource& Add(std::size_t size, bool endless = false) {
    const std::string path = "f" + std::to_string(requests.size()) + ".bin";
    std::string body(size, '\0');
    for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>('a' + (i * 7 + requests.size()) % 26);
    names.push_back(ToU16(path));
    requests.push_back({kBase + path, kStaged + u"\\" + ToU16(std::to_string(requests.size())),
                        endless ? std::int64_t{4'000'000'000} : static_cast<std::int64_t>(size), path});
    published[path] = body;
    if (endless) unending.insert(path);
    auto& resource = http.resources[kBase + path];
    resource.body = body;
    resource.endless = endless;
    return resource;
  }

  DownloadsEnd Run(bool together, Watcher& watcher, Failure& failure) {
    sg::SignatureContent content;
    content.key = key.publicKey;
    content.product = sg::SignedProduct{"Co", "App"};
    const std::string document = "<Tidemark />";
    content.serverFile = {document.size(), sg::Sha256::Of(document)};
    for (const auto& [path, bytes] : published)
      content.files.push_back({path, {unending.count(path) ? 4'000'000'000u : bytes.size(), sg::Sha256::Of(bytes)}});
    std::string reason;
    EXPECT_TRUE(verifier.AcceptServerFile(document, sg::WriteSignatureFile(content, key), reason)) << reason;
    std::vector<NamedDownload> list;
    for (std::size_t i = 0; i < requests.size(); ++i) list.push_back({&names[i], &requests[i]});
    return DownloadAll({http, files, &verifier, log, together ? &threads : nullptr}, list, &watcher, failure);
  }

  bool Requested(std::size_t index) const {
    return std::any_of(http.requests.begin(), http.requests.end(),
                       [&](const std::string& r) { return r.starts_with(requests[index].url); });
  }
};

TEST(ConcurrentDownload, FetchesEveryFileOnceOrStopsAllAtTheFirstFailureOrACancel) {
  struct Case {
    const char* name;
    bool together;
    std::function<void(Served&, Watcher&)> make;
    DownloadsEnd end;
    const char* failure;  // part of the failure reported
  } cases[] = {
      {"one at a time", false, [](Served& s, Watcher&) { for (int i = 0; i < 9; ++i) s.Add(1000 + i); },
       DownloadsEnd::Complete, ""},
      {"together, a dropped one resumed and one served whole again", true,
       [](Served& s, Watcher&) {
         for (int i = 0; i < 30; ++i) s.Add(3000 + 37 * i);
         s.http.resources[s.requests[3].url].dropAfter = 1000;
         auto& whole = s.http.resources[s.requests[11].url];
         whole.dropAfter = 500;
         whole.ignoresRange = true;
       },
       DownloadsEnd::Complete, ""},
      {"a missing file while others are under way", true,
       [](Served& s, Watcher&) {
         for (int i = 0; i < 3; ++i) s.Add(100, true);
         s.Add(10);
         s.http.resources.erase(s.requests.back().url);
         for (int i = 0; i < 5; ++i) s.Add(100, i < 2);
       },
       DownloadsEnd::Failed, "answered 404 for http://127.0.0.1:8000/files/f3.bin"},
      {"a tampered file while others are under way", true,
       [](Served& s, Watcher&) {
         for (int i = 0; i < 2; ++i) s.Add(100, true);
         s.Add(5000).body[4000] ^= 1;
         for (int i = 0; i < 6; ++i) s.Add(100, i < 3);
       },
       DownloadsEnd::Failed, "f2.bin differs from the signed file"},
      {"cancelled", true,
       [](Served& s, Watcher& w) {
         for (int i = 0; i < 8; ++i) s.Add(100, i < 6);
         w.stopAfter = 5000;
       },
       DownloadsEnd::Stopped, ""},
  };
  for (const auto& c : cases) {
    Served s;
    Watcher watcher;
    c.make(s, watcher);
    Failure failure;
    const DownloadsEnd end = s.Run(c.together, watcher, failure);
    ASSERT_EQ(end, c.end) << c.name << ": " << failure.what;
    EXPECT_NE(failure.what.find(c.failure), std::string::npos) << c.name << ": " << failure.what;
    EXPECT_FALSE(watcher.overlapped) << c.name;
    EXPECT_TRUE(std::is_sorted(watcher.done.begin(), watcher.done.end())) << c.name;
    EXPECT_EQ(s.http.unstopped, 0) << c.name;
    if (end == DownloadsEnd::Complete) {
      EXPECT_EQ(s.threads.largest, c.together ? kConcurrentTransfers + kConcurrentFlushes : 0u) << c.name;
      std::vector<std::size_t> order(s.requests.size());
      for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
      EXPECT_EQ(watcher.started, order) << c.name;
      EXPECT_EQ(watcher.done.back(), watcher.total) << c.name;
      for (const auto& request : s.requests)
        EXPECT_EQ(s.files.files[request.path].bytes, s.published[request.serverPath]) << c.name << " " << request.url;
      continue;
    }
    // The six transfers never got past the first six files: no file starts after the stop.
    for (std::size_t i = kConcurrentTransfers; i < s.requests.size(); ++i)
      EXPECT_FALSE(s.Requested(i)) << c.name << " " << i;
  }
}

TEST(ConcurrentDownload, EveryFileIsFlushedBeforeItCompletesWithAsManyThreadsAsItGets) {
  for (const std::size_t given : {1u, 2u, 0u}) {
    Served s;
    s.threads.given = given;
    for (int i = 0; i < 20; ++i) s.Add(500 + i);
    Watcher watcher;
    Failure failure;
    ASSERT_EQ(s.Run(true, watcher, failure), DownloadsEnd::Complete) << given << ": " << failure.what;
    for (const auto& request : s.requests) {
      EXPECT_EQ(s.files.files[request.path].bytes, s.published[request.serverPath]) << given;
      EXPECT_TRUE(s.files.flushed.count(request.path)) << given << " " << request.url;
    }
  }
}

TEST(ConcurrentDownload, AFileThatCannotBeFlushedFailsTheDownload) {
  for (const bool together : {false, true}) {
    Served s;
    for (int i = 0; i < 12; ++i) s.Add(300);
    s.files.flushFails = s.requests[5].path;
    Watcher watcher;
    Failure failure;
    EXPECT_EQ(s.Run(together, watcher, failure), DownloadsEnd::Failed) << together;
    EXPECT_EQ(failure.code, 1117u) << together;
    EXPECT_NE(failure.what.find("could not write " + s.requests[5].url + " to the work folder"), std::string::npos)
        << together << ": " << failure.what;
  }
}

}  // namespace
}  // namespace tidewatch::engine
