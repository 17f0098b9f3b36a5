#include <gtest/gtest.h>
#include <zlib.h>

#include "EngineFakes.h"
#include "InstallationState.h"
#include "Journal.h"
#include "SignedUpdateVerifier.h"
#include "signing/Hex.h"
#include "signing/SignatureFile.h"
#include "Text.h"
#include "UpdateRun.h"
#include "WelcomeText.h"
#include "build/ServerFileSignature.h"

namespace tidewatch::engine {
namespace {

using namespace testing;

// A zip archive: the first entry stored, the others deflated.
std::string MakeZip(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string out, directory;
  auto u16 = [](std::string& s, unsigned v) { s += char(v & 0xFF), s += char(v >> 8 & 0xFF); };
  auto u32 = [&](std::string& s, std::uint32_t v) { u16(s, v & 0xFFFF), u16(s, v >> 16); };
  for (size_t i = 0; i < entries.size(); ++i) {
    const auto& [name, data] = entries[i];
    std::string packed = data;
    const unsigned method = i == 0 ? 0 : 8;
    if (method == 8) {
      z_stream z{};
      deflateInit2(&z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
      packed.resize(deflateBound(&z, data.size()));
      z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
      z.avail_in = static_cast<uInt>(data.size());
      z.next_out = reinterpret_cast<Bytef*>(packed.data());
      z.avail_out = static_cast<uInt>(packed.size());
      deflate(&z, Z_FINISH);
      packed.resize(z.total_out);
      deflateEnd(&z);
    }
    const auto crc = static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
    const auto offset = static_cast<std::uint32_t>(out.size());
    u32(out, 0x04034b50), u16(out, 20), u16(out, 0), u16(out, method), u32(out, 0), u32(out, crc);
    u32(out, static_cast<std::uint32_t>(packed.size())), u32(out, static_cast<std::uint32_t>(data.size()));
    u16(out, static_cast<unsigned>(name.size())), u16(out, 0);
    out += name + packed;
    u32(directory, 0x02014b50), u16(directory, 20), u16(directory, 20), u16(directory, 0), u16(directory, method);
    u32(directory, 0), u32(directory, crc), u32(directory, static_cast<std::uint32_t>(packed.size()));
    u32(directory, static_cast<std::uint32_t>(data.size())), u16(directory, static_cast<unsigned>(name.size()));
    u16(directory, 0), u16(directory, 0), u16(directory, 0), u16(directory, 0), u32(directory, 0), u32(directory, offset);
    directory += name;
  }
  const auto directoryOffset = static_cast<std::uint32_t>(out.size());
  out += directory;
  u32(out, 0x06054b50), u16(out, 0), u16(out, 0), u16(out, static_cast<unsigned>(entries.size()));
  u16(out, static_cast<unsigned>(entries.size())), u32(out, static_cast<std::uint32_t>(directory.size()));
  u32(out, directoryOffset), u16(out, 0);
  return out;
}

const std::string kServer = "https://127.0.0.1:8000/app/";
const std::string kZip = MakeZip({{"a.txt", "entry a"}, {"sub/", ""}, {"sub/b.txt", std::string(5000, 'b')}});
const RegistryValue kOld{1, {'x', 0, 0, 0}};

// The installation's record as an update to `version` leaves it, with the
// main executable's bytes.
std::string StateRecord(const std::string& version, const std::string& main) {
  return "Tidewell installation 1\ninstalled-version " + version + "\nmain-executable " +
         std::to_string(main.size()) + " " + tidewell::signing::ToHex(tidewell::signing::Sha256::Of(main)) + "\n";
}

std::string ServerFile(const std::string& version = "1.2") {
  return "<Tidemark>\r\n\t<FileList>\r\n\t\t<Directory Name=\"&lt;ApplicationDir&gt;\">\r\n"
         "\t\t\t<File Name=\"App.exe\" Size=\"6\" Mode=\"1.2\" Src=\"\\\" />\r\n"
         "\t\t\t<Directory Name=\"Data\">\r\n"
         "\t\t\t\t<File Name=\"Data.zip\" Size=\"" + std::to_string(kZip.size()) + "\" Action=\"unzip\" Src=\"\\Data\\\">"
         "<File Name=\"a.txt\" Action=\"unzip\" Src=\"zip\" /></File>\r\n"
         "\t\t\t\t<Directory Name=\"My Tools\">\r\n"
         "\t\t\t\t\t<File Name=\"new file.dll\" Size=\"7\" Src=\"\\Data\\My Tools\\\" />\r\n"
         "\t\t\t\t</Directory>\r\n\t\t\t</Directory>\r\n"
         "\t\t\t<File Name=\"readme.txt\" Size=\"9\" Src=\"\\\" />\r\n"
         "\t\t\t<File Name=\"win98.txt\" OS=\"2\" Size=\"1\" Src=\"\\\" />\r\n"
         "\t\t</Directory>\r\n\t</FileList>\r\n"
         "\t<RegList>\r\n\t\t<Key Name=\"HKEY_CURRENT_USER\">\r\n"
         "\t\t\t<Key Name=\"Software\\MyApp\">\r\n"
         "\t\t\t\t<Value Name=\"Create key\" Action=\"Create \"  />\r\n"
         "\t\t\t\t<Value Name=\"Old\" Action=\"Delete  \"  />\r\n"
         "\t\t\t\t<Key Name=\"Deep\"><Value Name=\"Version\" Action=\"Add REG_SZ 1.2\"  />"
         "<Value Name=\"Seats\" Action=\"Add REG_DWORD 300\"  /></Key>\r\n"
         "\t\t\t</Key>\r\n"
         "\t\t\t<Key Name=\"Software\\Gone\"><Value Name=\"Remove key\" Action=\"Remove \"  /></Key>\r\n"
         "\t\t</Key>\r\n\t</RegList>\r\n"
         "\t<ShellExec>\r\n"
         "\t\t<Execute Point=\"4\" File=\"&lt;ApplicationDir&gt;\\done.exe\" />\r\n"
         "\t\t<Execute Point=\"3\" File=\"&lt;ApplicationDir&gt;\\downloaded.exe\" />\r\n"
         "\t\t<Execute Point=\"2\" File=\"&lt;ApplicationDir&gt;\\downloading.exe\" />\r\n"
         "\t\t<Execute Point=\"1\" File=\"&lt;WinDir&gt;\\welcome.exe\" />\r\n"
         "\t</ShellExec>\r\n"
         "\t<UpdateVersion>" + version + "</UpdateVersion>\r\n\t<UpdateType>Silent</UpdateType>\r\n</Tidemark>\r\n";
}

// Version 1 installed in C:\App, version 2 on the server.
struct World {
  FaultCounter faults;
  FakeFiles files{faults};
  FakeRegistry registry{faults};
  FakeHttp http;
  FakeShell shell;
  FakeClock clock;
  FakeLog log;
  ClientSettings settings{u"App.exe", ToU16(kServer + "UpdateConfig.xml?ed=%Login%"), ToU16(kServer), u"App",
                          u"Co", u"1.1"};
  UpdateServices services{http, files, registry, shell, clock, log,
                          Places{u"C:\\App", u"C:\\Program Files", u"C:\\Windows\\system32", u"C:\\Windows",
                                 u"C:\\App\\Update.exe"},
                          VariableValues{u"al ice", u"Windows 10", &registry}, nullptr, {}, 1000};

  World() {
    files.folders = {u"C:\\App", u"C:\\Windows"};
    files.files[u"C:\\App\\App.exe"] = {"v1 app", 1, FileVersion{1, 1}};
    files.files[u"C:\\App\\readme.txt"] = {"v1 readme", 1, std::nullopt};
    files.files[u"C:\\App\\Update.exe"] = {"client", 1, std::nullopt};
    registry.keys[u"HKEY_CURRENT_USER\\Software"];
    registry.keys[u"HKEY_CURRENT_USER\\Software\\MyApp"][u"Old"] = kOld;
    registry.keys[u"HKEY_CURRENT_USER\\Software\\Gone"][u"Kept"] = kOld;
    registry.keys[u"HKEY_CURRENT_USER\\Software\\Gone\\Sub"][u"Deeper"] = {4, {1, 0, 0, 0}};
    Serve("UpdateConfig.xml?ed=al%20ice", ServerFile());
    Serve("App.exe", "v2 app");
    Serve("Data/Data.zip", kZip);
    Serve("Data/My%20Tools/new%20file.dll", "new dll");
    Serve("readme.txt", "v2 readme");
  }
  FakeHttp::Resource& Serve(const std::string& path, std::string body) {
    auto& r = http.resources[kServer + path];
    r.body = std::move(body);
    return r;
  }
  UpdateOutcome Run() { return RunUpdate(settings, services); }
};

struct Snapshot {
  std::map<std::u16string, FileEntry> files;
  std::set<std::u16string> folders;
  std::map<std::u16string, std::map<std::u16string, RegistryValue>> keys;
  explicit Snapshot(const World& w) : files(w.files.files), folders(w.files.folders), keys(w.registry.keys) {}
  bool operator==(const Snapshot&) const = default;
  // The same files, folders and keys, whenever each file was written: files
  // downloaded several at once are written in no fixed order.
  bool SameContents(const Snapshot& other) const {
    auto bytes = [](const Snapshot& s) {
      std::map<std::u16string, std::pair<std::string, std::optional<FileVersion>>> out;
      for (const auto& [path, entry] : s.files) out[path] = {entry.bytes, entry.version};
      return out;
    };
    return bytes(*this) == bytes(other) && folders == other.folders && keys == other.keys;
  }
};

TEST(UpdateRun, AppliesEveryPartAndASecondRunFindsNothingToDo) {
  World w;
  const UpdateOutcome outcome = w.Run();
  ASSERT_EQ(outcome.result, UpdateOutcome::Updated) << outcome.error;
  EXPECT_TRUE(outcome.silent);
  auto& f = w.files.files;
  EXPECT_EQ(f[u"C:\\App\\App.exe"].bytes, "v2 app");
  EXPECT_EQ(f[u"C:\\App\\readme.txt"].bytes, "v2 readme");
  EXPECT_EQ(f[u"C:\\App\\Data\\Data.zip"].bytes, kZip);
  EXPECT_EQ(f[u"C:\\App\\Data\\a.txt"].bytes, "entry a");
  EXPECT_EQ(f[u"C:\\App\\Data\\sub\\b.txt"].bytes, std::string(5000, 'b'));
  EXPECT_EQ(f[u"C:\\App\\Data\\My Tools\\new file.dll"].bytes, "new dll");
  EXPECT_FALSE(f.count(u"C:\\App\\win98.txt"));
  EXPECT_FALSE(w.files.FolderExists(u"C:\\App\\~tidewell"));
  auto& k = w.registry.keys;
  EXPECT_FALSE(k[u"HKEY_CURRENT_USER\\Software\\MyApp"].count(u"Old"));
  EXPECT_EQ(k[u"HKEY_CURRENT_USER\\Software\\MyApp\\Deep"][u"Version"], (RegistryValue{1, {'1', 0, '.', 0, '2', 0, 0, 0}}));
  EXPECT_EQ(k[u"HKEY_CURRENT_USER\\Software\\MyApp\\Deep"][u"Seats"], (RegistryValue{4, {0x2C, 1, 0, 0}}));
  EXPECT_FALSE(k.count(u"HKEY_CURRENT_USER\\Software\\Gone"));
  EXPECT_FALSE(k.count(u"HKEY_CURRENT_USER\\Software\\Gone\\Sub"));
  EXPECT_EQ(f[u"C:\\App\\~tidewell.state"].bytes, StateRecord("1.2", "v2 app"));
  const std::vector<std::u16string> started = {u"C:\\Windows\\welcome.exe", u"C:\\App\\downloading.exe",
                                               u"C:\\App\\downloaded.exe", u"C:\\App\\done.exe"};
  EXPECT_EQ(w.shell.started, started);

  w.http.requests.clear();
  w.shell.started.clear();
  const UpdateOutcome again = w.Run();
  EXPECT_EQ(again.result, UpdateOutcome::UpToDate);
  EXPECT_EQ(w.http.requests.size(), 1u);
  EXPECT_TRUE(w.shell.started.empty());
}

TEST(UpdateRun, AFailureAtAnyChangeLeavesVersionOneExactlyAsItWas) {
  World counting;
  ASSERT_EQ(counting.Run().result, UpdateOutcome::Updated);
  const int changes = counting.faults.changes;
  ASSERT_GT(changes, 20);
  // With threads the files are downloaded and replaced several at once, so
  // the fault meets whichever change comes n-th.
  for (const bool together : {false, true}) {
    for (int n = 1; n <= changes; ++n) {
      World w;
      ThreadWorkers threads;
      if (together) w.services.workers = &threads;
      const Snapshot before(w);
      w.faults.failAt = n;
      const UpdateOutcome outcome = w.Run();
      // A refused second name or rename over the old file is met by renaming
      // the old file aside: the update then ends where it ends without a fault.
      if (outcome.result == UpdateOutcome::Updated) {
        EXPECT_TRUE(Snapshot(w).SameContents(Snapshot(counting))) << "change " << n << together;
        continue;
      }
      EXPECT_EQ(outcome.result, UpdateOutcome::Failed) << "change " << n << together;
      EXPECT_EQ(outcome.exitCode(), 1);
      EXPECT_TRUE(Snapshot(w) == before) << "change " << n << together << ": " << outcome.error;
      EXPECT_TRUE(w.log.Has("error: ")) << n;
    }
  }
}

struct Halt {};

TEST(UpdateRun, AClientStoppedAfterAnyStepIsUndoneAtItsNextStart) {
  for (std::size_t stop = 1;; ++stop) {
    World w;
    const Snapshot before(w);
    std::size_t steps = 0;
    w.services.afterStep = [&](std::size_t done) {
      steps = done;
      if (done == stop) throw Halt{};
    };
    bool halted = false;
    try {
      w.Run();
    } catch (const Halt&) {
      halted = true;
    }
    if (!halted) {
      EXPECT_GT(stop, 15u);  // every step of the plan was tried
      break;
    }
    EXPECT_TRUE(w.files.FileExists(u"C:\\App\\~tidewell\\journal"));
    w.services.afterStep = {};
    ASSERT_TRUE(RecoverInterruptedUpdate(w.services)) << stop;
    EXPECT_TRUE(Snapshot(w) == before) << "stopped after step " << stop << " of " << steps;
  }
}

TEST(UpdateRun, DownloadFaultsChangeNothing) {
  struct Case {
    const char* name;
    std::function<void(World&)> fault;
    const char* logged;
  } cases[] = {
      {"404", [](World& w) { w.http.resources.erase(kServer + "readme.txt"); }, "answered 404"},
      {"wrong size", [](World& w) { w.Serve("readme.txt", "v2 readme!"); }, "is not the published 9 bytes"},
      {"HTML page", [](World& w) { w.Serve("UpdateConfig.xml?ed=al%20ice", "<html><body>Hi</body></html>"); },
       "could not read the update information"},
      {"cut short", [](World& w) { w.Serve("UpdateConfig.xml?ed=al%20ice", ServerFile().substr(0, 300)); },
       "could not read the update information"},
      {"disk full", [](World& w) { w.files.diskFullAfter = 100; }, "[112]"},
      {"file in use", [](World& w) { w.files.inUse.insert(u"C:\\App\\readme.txt"); }, "[32]"},
      {"file in use, its backup name kept",
       [](World& w) {
         w.files.inUse.insert(u"C:\\App\\readme.txt");
         w.files.undeletableUnder = u"C:\\App\\~tidewell\\old\\";
       },
       "[32]"},
      {"name out of its folder",
       [](World& w) {
         std::string text = ServerFile();
         text.replace(text.find("\"readme.txt\""), 12, "\"..\\evil.txt\"");
         w.Serve("UpdateConfig.xml?ed=al%20ice", text);
       },
       "the file <ApplicationDir>\\..\\evil.txt is refused"},
      {"application running", [](World& w) { w.files.inUse.insert(u"C:\\App\\App.exe"); }, "is still running"},
  };
  for (const bool together : {false, true}) {
    for (const auto& c : cases) {
      World w;
      ThreadWorkers threads;
      if (together) w.services.workers = &threads;
      c.fault(w);
      const Snapshot before(w);
      const UpdateOutcome outcome = w.Run();
      EXPECT_EQ(outcome.result, UpdateOutcome::Failed) << c.name << together;
      EXPECT_TRUE(Snapshot(w) == before) << c.name << together;
      EXPECT_TRUE(w.log.Has(c.logged)) << c.name << together << ": " << outcome.error;
    }
  }
}

// Where the volume gives a file one name only, the old files are renamed aside.
TEST(UpdateRun, AVolumeWithoutLinksEndsInTheSameFiles) {
  World linked, unlinked;
  unlinked.files.noLinks = true;
  ASSERT_EQ(linked.Run().result, UpdateOutcome::Updated);
  ASSERT_EQ(unlinked.Run().result, UpdateOutcome::Updated);
  EXPECT_EQ(linked.files.files, unlinked.files.files);
  EXPECT_EQ(linked.files.files[u"C:\\App\\readme.txt"].bytes, "v2 readme");
}

// A name that does not exist yet costs a read of its whole folder where names
// are matched without regard to case, so no work folder grows large.
TEST(UpdateRun, KeepsEveryWorkFolderSmallWhateverTheNumberOfFiles) {
  World w;
  std::string list;
  for (int i = 0; i < 150; ++i) {
    const std::string name = "f" + std::to_string(i) + ".txt";
    list += "<File Name=\"" + name + "\" Size=\"2\" Src=\"\\\" />";
    w.Serve(name, "v2");
    w.files.files[u"C:\\App\\" + ToU16(name)] = {"v1", 1, std::nullopt};
  }
  w.Serve("UpdateConfig.xml?ed=al%20ice", "<Tidemark><FileList><Directory Name=\"&lt;ApplicationDir&gt;\">" + list +
                                              "</Directory></FileList><UpdateVersion>1.2</UpdateVersion>"
                                              "<UpdateType>Silent</UpdateType></Tidemark>");
  std::size_t largest = 0;
  w.services.afterStep = [&](std::size_t) {
    std::map<std::u16string, std::size_t> names;
    for (const auto& [path, _] : w.files.files)
      if (path.starts_with(u"C:\\App\\~tidewell\\")) largest = std::max(largest, ++names[ParentPath(path)]);
  };
  ASSERT_EQ(w.Run().result, UpdateOutcome::Updated);
  EXPECT_EQ(w.files.files[u"C:\\App\\f149.txt"].bytes, "v2");
  EXPECT_GT(largest, 0u);
  EXPECT_LE(largest, 32u);
}

TEST(UpdateRun, ResumesADroppedDownloadByRangeOrFromTheStart) {
  for (const bool ignoresRange : {false, true}) {
    World w;
    ThreadWorkers threads;
    w.services.workers = ignoresRange ? &threads : nullptr;
    auto& zip = w.Serve("Data/Data.zip", kZip);
    zip.dropAfter = 100;
    zip.ignoresRange = ignoresRange;
    ASSERT_EQ(w.Run().result, UpdateOutcome::Updated);
    EXPECT_EQ(w.files.files[u"C:\\App\\Data\\Data.zip"].bytes, kZip);
    const auto resumed = std::find(w.http.requests.begin(), w.http.requests.end(), kServer + "Data/Data.zip@100");
    EXPECT_NE(resumed, w.http.requests.end()) << ignoresRange;
  }
}

// The publisher's signature over the server file and every served file.
std::string SignatureOf(const std::string& serverFile, const tidewell::signing::KeyPair& key) {
  namespace sg = tidewell::signing;
  auto digest = [](const std::string& bytes) { return sg::FileDigest{bytes.size(), sg::Sha256::Of(bytes)}; };
  sg::SignatureContent content;
  content.key = key.publicKey;
  content.product = sg::SignedProduct{"Co", "App"};
  content.serverFile = digest(serverFile);
  content.files = {{"App.exe", digest("v2 app")},
                   {"Data/Data.zip", digest(kZip)},
                   {"Data/My Tools/new file.dll", digest("new dll")},
                   {"readme.txt", digest("v2 readme")},
                   {"win98.txt", digest("9")}};
  return sg::WriteSignatureFile(content, key);
}

TEST(UpdateRun, ASignedUpdateAppliesAndEveryTamperingIsRefusedBeforeAnyChange) {
  namespace sg = tidewell::signing;
  const sg::KeyPair key = sg::KeyPairFromSeed(sg::Seed{1});
  const sg::KeyPair other = sg::KeyPairFromSeed(sg::Seed{2});
  // The signature file's address keeps the server file's query after ".sig".
  const std::string sigPath = "UpdateConfig.xml.sig?ed=al%20ice";
  struct Case {
    const char* name;
    std::function<void(World&)> change;
    const char* logged;  // empty: the update applies
  } cases[] = {
      {"signed", [](World&) {}, ""},
      {"server file changed", [](World& w) { w.Serve("UpdateConfig.xml?ed=al%20ice", ServerFile("1.3")); },
       "differs from the signed one"},
      {"served file changed",
       [](World& w) { w.Serve("readme.txt", "v2 README"); }, "readme.txt differs from the signed file"},
      {"signature file changed",
       [&](World& w) {
         std::string sig = SignatureOf(ServerFile(), key);
         char& digit = sig[sig.find("readme.txt") - 2];
         digit = digit == '0' ? '1' : '0';
         w.Serve(sigPath, sig);
       },
       "the signature file's signature does not match its content"},
      {"signed by another key", [&](World& w) { w.Serve(sigPath, SignatureOf(ServerFile(), other)); },
       "signed by another key"},
      {"no signature file", [&](World& w) { w.http.resources.erase(kServer + sigPath); },
       "has no signature file"},
  };
  for (const auto& c : cases) {
    World w;
    w.Serve(sigPath, SignatureOf(ServerFile(), key));
    MemoryKeyStore store;
    SignedUpdateVerifier verifier(key.publicKey, {"Co", "App"}, store);
    w.services.verifier = &verifier;
    c.change(w);
    const Snapshot before(w);
    const UpdateOutcome outcome = w.Run();
    if (*c.logged == '\0') {
      EXPECT_EQ(outcome.result, UpdateOutcome::Updated) << outcome.error;
      EXPECT_EQ(w.files.files[u"C:\\App\\Data\\My Tools\\new file.dll"].bytes, "new dll");
      continue;
    }
    EXPECT_EQ(outcome.result, UpdateOutcome::Failed) << c.name;
    EXPECT_TRUE(Snapshot(w) == before) << c.name;
    EXPECT_TRUE(w.log.Has(c.logged)) << c.name << ": " << outcome.error;
  }
}

// Records what it is shown; refuses the server file or one file when told to.
struct RecordingVerifier : UpdateVerifier {
  bool acceptDocument = true;
  std::string refusedPath;
  std::optional<std::string> signature = "unset";
  std::map<std::string, std::string> seen;

  struct Check : DownloadCheck {
    RecordingVerifier& owner;
    std::string path;
    Check(RecordingVerifier& o, std::string p) : owner(o), path(std::move(p)) {}
    void Feed(const std::uint8_t* d, std::size_t n) override { owner.seen[path].append(reinterpret_cast<const char*>(d), n); }
    bool Finish(std::string& reason) override {
      reason = "bad signature";
      return path != owner.refusedPath;
    }
  };
  bool AcceptServerFile(std::string_view, const std::optional<std::string>& sig, std::string& reason) override {
    signature = sig;
    reason = "unsigned";
    return acceptDocument;
  }
  std::unique_ptr<DownloadCheck> BeginFile(std::string_view path) override {
    seen[std::string(path)];
    return std::make_unique<Check>(*this, std::string(path));
  }
};

TEST(UpdateRun, TheVerifierSeesEveryDownloadedByteAndCanRefuse) {
  {
    World w;
    RecordingVerifier verifier;
    w.services.verifier = &verifier;
    w.Serve("UpdateConfig.xml.sig?ed=al%20ice", "SIG");
    w.Serve("Data/Data.zip", kZip).dropAfter = 50;
    ASSERT_EQ(w.Run().result, UpdateOutcome::Updated);
    EXPECT_EQ(verifier.signature, std::optional<std::string>("SIG"));
    EXPECT_EQ(verifier.seen["Data/My Tools/new file.dll"], "new dll");
    EXPECT_EQ(verifier.seen["Data/Data.zip"], kZip);
    EXPECT_EQ(verifier.seen.size(), 4u);
  }
  for (const bool refuseDocument : {true, false}) {
    World w;
    RecordingVerifier verifier;
    verifier.acceptDocument = !refuseDocument;
    verifier.refusedPath = "readme.txt";
    w.services.verifier = &verifier;
    const Snapshot before(w);
    const UpdateOutcome outcome = w.Run();
    EXPECT_EQ(outcome.result, UpdateOutcome::Failed);
    EXPECT_EQ(verifier.signature, std::nullopt);
    EXPECT_TRUE(w.log.Has(refuseDocument ? "unsigned" : "bad signature")) << outcome.error;
    EXPECT_TRUE(Snapshot(w) == before);
  }
}

// A server file that names a place outside the folder it names is refused
// whole before anything runs: no download, no program started, no change.
TEST(UpdateRun, APathOutsideItsFolderRefusesTheWholeUpdateFirst) {
  const struct {
    const char* from;
    const char* to;
    const char* logged;
  } cases[] = {
      {"<Directory Name=\"Data\">", "<Directory Name=\"..\">", "the file <ApplicationDir>\\..\\Data.zip is refused"},
      {"<Directory Name=\"Data\">", "<Directory Name=\"Data\\..\\..\\outside\">", "a part of it is \".\" or \"..\""},
      {"<Directory Name=\"Data\">", "<Directory Name=\"C:\\Windows\">", "it names a drive"},
      {"<Directory Name=\"Data\">", "<Directory Name=\"\\\\server\\share\">", "it names a drive"},
      {"\"readme.txt\"", "\"readme.txt:payload\"", "alternate data stream"},
      {"\"readme.txt\"", "\"CON.txt\"", "device name"},
      {"\"readme.txt\"", "\"readme.txt.\"", "ends in a dot or a blank"},
      {"\"readme.txt\"", "\"sub/readme.txt\"", "its name holds a separator"},
      {"\"win98.txt\"", "\"..\\win98.txt\"", "the file <ApplicationDir>\\..\\win98.txt is refused"},
      {"&gt;\\welcome.exe", "&gt;\\..\\outside\\welcome.exe", "the execution <WinDir>\\..\\outside\\welcome.exe"},
      {"&gt;\\done.exe", "&gt;\\sub\\NUL.exe", "the execution <ApplicationDir>\\sub\\NUL.exe is refused"},
      {"&gt;\\done.exe", "&gt;\\sub\\\\done.exe", "the execution <ApplicationDir>\\sub\\\\done.exe is refused"},
  };
  for (const auto& c : cases) {
    World w;
    std::string text = ServerFile();
    ASSERT_NE(text.find(c.from), std::string::npos) << c.from;
    text.replace(text.find(c.from), std::string_view(c.from).size(), c.to);
    w.Serve("UpdateConfig.xml?ed=al%20ice", text);
    const Snapshot before(w);
    const UpdateOutcome outcome = w.Run();
    EXPECT_EQ(outcome.result, UpdateOutcome::Failed) << c.to;
    EXPECT_TRUE(Snapshot(w) == before) << c.to;
    EXPECT_TRUE(w.shell.started.empty()) << c.to;
    EXPECT_EQ(w.http.requests.size(), 1u) << c.to;
    EXPECT_TRUE(w.log.Has("error: the update 1.2 was refused: ")) << c.to << ": " << outcome.error;
    EXPECT_TRUE(w.log.Has(c.logged)) << c.to << ": " << outcome.error;
  }
}

TEST(UpdateRun, AnArchiveEntryOutsideItsFolderRefusesTheApply) {
  for (const char* entry : {"../evil.txt", "sub/../../evil.txt", "C:/Windows/evil.dll", "/evil.txt",
                            "sub/NUL", "a.txt:stream", "dir./a.txt"}) {
    World w;
    const std::string zip = MakeZip({{"a.txt", "entry a"}, {entry, "evil"}});
    std::string text = ServerFile();
    text.replace(text.find(std::to_string(kZip.size())), std::to_string(kZip.size()).size(),
                 std::to_string(zip.size()));
    w.Serve("UpdateConfig.xml?ed=al%20ice", text);
    w.Serve("Data/Data.zip", zip);
    const Snapshot before(w);
    const UpdateOutcome outcome = w.Run();
    EXPECT_EQ(outcome.result, UpdateOutcome::Failed) << entry;
    EXPECT_TRUE(Snapshot(w) == before) << entry;
    EXPECT_TRUE(w.log.Has("the entry ")) << entry << ": " << outcome.error;
  }
}

// A journal is a file in the application's folder that anyone who can write
// there can change: one naming a place outside the client's folders is not
// undone at all, so the undo never moves or deletes a file elsewhere.
TEST(UpdateRun, AJournalNamingAPlaceOutsideIsNotUndone) {
  const std::u16string work = u"C:\\App\\~tidewell";
  auto replace = [&](std::u16string target, std::u16string staged, std::u16string backup, bool existed = true) {
    return Step{Step::ReplaceFile, std::move(target), std::move(staged), std::move(backup), u"", existed, {}, {}, {}};
  };
  const struct {
    const char* name;
    Step step;
  } cases[] = {
      {"target outside", replace(u"C:\\Users\\me\\notes.txt", work + u"\\new\\0\\1", work + u"\\old\\0\\2")},
      {"target climbing out", replace(u"C:\\App\\..\\Users\\me\\notes.txt", work + u"\\new\\0\\1", work + u"\\old\\0\\2")},
      {"backup outside", replace(u"C:\\App\\readme.txt", work + u"\\new\\0\\1", u"C:\\Users\\me\\notes.txt")},
      {"copy outside", replace(u"C:\\App\\readme.txt", u"C:\\Users\\me\\planted.dll", work + u"\\old\\0\\2", false)},
      {"folder outside", Step{Step::CreateFolder, u"C:\\Users\\me\\Empty", u"", u"", u"", false, {}, {}, {}}},
  };
  for (const auto& c : cases) {
    World w;
    w.files.folders.insert({work, work + u"\\new", work + u"\\new\\0", work + u"\\old", work + u"\\old\\0",
                            u"C:\\Users\\me\\Empty"});
    w.files.files[u"C:\\Users\\me\\notes.txt"] = {"mine", 1, std::nullopt};
    w.files.files[work + u"\\old\\0\\2"] = {"backup", 1, std::nullopt};
    w.files.files[work + u"\\journal"] = {WriteJournal({c.step}), 1, std::nullopt};
    EXPECT_FALSE(RecoverInterruptedUpdate(w.services)) << c.name;
    EXPECT_EQ(w.files.files[u"C:\\Users\\me\\notes.txt"].bytes, "mine") << c.name;
    EXPECT_EQ(w.files.files[u"C:\\App\\readme.txt"].bytes, "v1 readme") << c.name;
    EXPECT_TRUE(w.files.FolderExists(u"C:\\Users\\me\\Empty")) << c.name;
    EXPECT_FALSE(w.files.FileExists(u"C:\\Users\\me\\planted.dll")) << c.name;
    EXPECT_TRUE(w.files.FileExists(work + u"\\journal")) << c.name;
    EXPECT_TRUE(w.log.Has("is refused, nothing is undone")) << c.name;
  }
}

const std::u16string kStateKey = u"HKEY_CURRENT_USER\\Software\\Tidewell\\Clients\\Co\\App";
const std::u16string kStateFile = u"C:\\App\\~tidewell.state";

RegistryValue Text(std::u16string_view text) {
  RegistryValue value{1, {}};
  for (const char16_t c : text) value.data.insert(value.data.end(), {static_cast<std::uint8_t>(c), 0});
  value.data.insert(value.data.end(), {0, 0});
  return value;
}

TEST(InstalledVersion, BelongsToTheFolderAndAReinstalledCopyIsUpdatedAgain) {
  World w;
  ASSERT_EQ(w.Run().result, UpdateOutcome::Updated);
  EXPECT_FALSE(w.registry.keys[kStateKey].count(u"InstalledVersion"));
  ASSERT_EQ(w.Run().result, UpdateOutcome::UpToDate);

  // Version 1 put back over version 2 (a repair): the record stays but no
  // longer describes the main executable, so the files decide.
  w.files.files[u"C:\\App\\App.exe"] = {"v1 app", 1, FileVersion{1, 1}};
  const UpdateOutcome again = w.Run();
  ASSERT_EQ(again.result, UpdateOutcome::Updated) << again.error;
  EXPECT_TRUE(w.log.Has("has changed since: the installed version is taken as 1.1"));
  EXPECT_EQ(w.files.files[kStateFile].bytes, StateRecord("1.2", "v2 app"));

  // A copy in a folder with no record: the user's value of an earlier
  // client speaks for it only when its main executable agrees.
  const struct {
    const char* name;
    std::optional<FileVersion> mainVersion;
    std::string record;  // the folder's own record, when there is one
    UpdateOutcome::Result result;
  } cases[] = {
      {"main executable of the recorded version", FileVersion{1, 2}, "", UpdateOutcome::UpToDate},
      {"version 1 reinstalled", FileVersion{1, 1}, "", UpdateOutcome::Updated},
      {"main executable without a version", std::nullopt, "", UpdateOutcome::Updated},
      {"the folder's own record wins", FileVersion{1, 2}, StateRecord("1.1", "v1 app"), UpdateOutcome::Updated},
      {"a damaged record", FileVersion{1, 2}, "Tidewell installation 1\ninstalled-version 1.2", UpdateOutcome::Updated},
      {"a record of this version", FileVersion{1, 1}, StateRecord("1.2", "v1 app"), UpdateOutcome::UpToDate},
  };
  for (const auto& c : cases) {
    World copy;
    copy.registry.keys[kStateKey][u"InstalledVersion"] = Text(u"1.2");
    copy.files.files[u"C:\\App\\App.exe"].version = c.mainVersion;
    if (!c.record.empty()) copy.files.files[kStateFile] = {c.record, 1, std::nullopt};
    const UpdateOutcome outcome = copy.Run();
    EXPECT_EQ(outcome.result, c.result) << c.name << ": " << outcome.error;
    if (outcome.result != UpdateOutcome::Updated) continue;
    // The update carries the version into the folder and the user's value
    // out; App.exe is taken only when its version is before 1.2.
    const bool appTaken = c.mainVersion != FileVersion{1, 2};
    EXPECT_EQ(copy.files.files[kStateFile].bytes, StateRecord("1.2", appTaken ? "v2 app" : "v1 app")) << c.name;
    EXPECT_FALSE(copy.registry.keys[kStateKey].count(u"InstalledVersion")) << c.name;
  }
}

TEST(InstalledVersion, TheRecordReadsExactlyWhatItsWriterWrites) {
  const InstallationState state{u"2.0 b\u00e9ta", MainExecutableDigest{6, std::string(64, 'a')}};
  const std::string text = WriteInstallationState(state);
  EXPECT_EQ(text, "Tidewell installation 1\ninstalled-version 2.0 b\xC3\xA9ta\nmain-executable 6 " +
                      std::string(64, 'a') + "\n");
  EXPECT_EQ(ReadInstallationState(text), state);
  const std::string bare = "Tidewell installation 1\ninstalled-version 2.0\n";
  EXPECT_EQ(ReadInstallationState(bare), (InstallationState{u"2.0", std::nullopt}));
  const std::string main = "main-executable 6 " + std::string(64, 'a') + "\n";
  for (const std::string& damaged :
       {std::string(), std::string("Tidewell installation 2\ninstalled-version 2.0\n"), bare.substr(0, bare.size() - 1),
        std::string("Tidewell installation 1\ninstalled-version \n"), std::string("Tidewell installation 1\r\ninstalled-version 2.0\r\n"),
        bare + "main-executable 6\n", bare + "main-executable -6 " + std::string(64, 'a') + "\n",
        bare + "main-executable 6 " + std::string(64, 'A') + "\n", bare + "main-executable 6 " + std::string(63, 'a') + "\n",
        bare + main + main, bare + "\n", main + bare})
    EXPECT_EQ(ReadInstallationState(damaged), std::nullopt) << damaged;
}

TEST(UpdateRun, AClientWithoutAKeyRefusesPlainHttp) {
  const struct {
    const char* name;
    std::string serverFile, files;
    bool signedClient;
    UpdateOutcome::Result result;
  } cases[] = {
      {"https", kServer, kServer, false, UpdateOutcome::Updated},
      {"HTTPS in capitals", "HTTPS" + kServer.substr(5), kServer, false, UpdateOutcome::Updated},
      {"http server file", "http" + kServer.substr(5), kServer, false, UpdateOutcome::Failed},
      {"HTTP server file", "HTTP" + kServer.substr(5), kServer, false, UpdateOutcome::Failed},
      {"http files", kServer, "http" + kServer.substr(5), false, UpdateOutcome::Failed},
      {"http with a key", "http" + kServer.substr(5), "http" + kServer.substr(5), true, UpdateOutcome::Updated},
  };
  for (const auto& c : cases) {
    World w;
    w.settings.serverFileUrl = ToU16(c.serverFile + "UpdateConfig.xml?ed=%Login%");
    w.settings.downloadBase = ToU16(c.files);
    for (auto resources = w.http.resources; auto& [url, resource] : resources) {
      w.http.resources["http" + url.substr(5)] = resource;
      w.http.resources["HTTPS" + url.substr(5)] = resource;
    }
    RecordingVerifier verifier;
    if (c.signedClient) w.services.verifier = &verifier;
    const Snapshot before(w);
    const UpdateOutcome outcome = w.Run();
    EXPECT_EQ(outcome.result, c.result) << c.name << ": " << outcome.error;
    if (c.result == UpdateOutcome::Updated) continue;
    EXPECT_EQ(outcome.exitCode(), 1) << c.name;
    EXPECT_TRUE(w.http.requests.empty()) << c.name;
    EXPECT_TRUE(Snapshot(w) == before) << c.name;
    EXPECT_TRUE(w.log.Has("this client carries no key to check updates with, so it accepts only https:// "
                          "addresses, not " + c.serverFile.substr(0, 4))) << c.name << ": " << outcome.error;
  }
}

// The tool signs each file under the server path it makes of the file
// element; the client must ask the verifier for the same path, or it refuses
// every signed update.
TEST(SharedRules, TheClientNamesEachFileByTheServerPathTheToolSigns) {
  const std::string document =
      "<Tidemark><FileList><Directory Name=\"&lt;ApplicationDir&gt;\">"
      "<File Name=\"App.exe\" Size=\"3\" Src=\"\\\" />"
      "<Directory Name=\"bin\"><File Name=\"Lib.dll\" Size=\"3\" Src=\"bin\" />"
      "<File Name=\"a &amp; b+c.txt\" Size=\"3\" Src=\"\\\\data\\\\more\\\" /></Directory>"
      "<File Name=\"\xC3\x9Cn\xC3\xAF \xE2\x82\xAC.txt\" Size=\"3\" Src=\"/web/\" />"
      "</Directory></FileList><UpdateVersion>2.0</UpdateVersion><UpdateType>Silent</UpdateType></Tidemark>";
  std::string error;
  const auto published = tidewell::PublishedFiles(document, u"", error);
  ASSERT_TRUE(published) << error;
  World w;
  w.Serve("UpdateConfig.xml?ed=al%20ice", document);
  std::set<std::string> signedPaths;
  for (const auto& file : *published) {
    signedPaths.insert(file.serverPath);
    std::string url;
    for (std::size_t start = 0; start < file.serverPath.size();) {
      const std::size_t end = std::min(file.serverPath.find('/', start), file.serverPath.size());
      url += (url.empty() ? "" : "/") + PercentEncode(file.serverPath.substr(start, end - start));
      start = end + 1;
    }
    w.Serve(url, "new");
  }
  RecordingVerifier verifier;
  w.services.verifier = &verifier;
  const UpdateOutcome outcome = w.Run();
  ASSERT_EQ(outcome.result, UpdateOutcome::Updated) << outcome.error;
  std::set<std::string> asked;
  for (const auto& [path, bytes] : verifier.seen) asked.insert(path);
  EXPECT_EQ(asked, signedPaths);
  EXPECT_EQ(signedPaths.count("data/more/a & b+c.txt"), 1u);
}

// The preview's welcome text and the update's texts fill "%" alike.
TEST(SharedRules, ThePreviewAndTheUpdateFillLoginAndPlatformAlike) {
  const VariableValues values{u"bob", u"Windows 10", nullptr};
  for (const std::u16string text :
       {u"Hi %Login%", u"%Login%%Platform%", u"100% %Login%", u"%%Login%%", u"%Login", u"%login% %Platform%%",
        u"%Lo%Login%gin%", u"%Other% %Login%", u""})
    EXPECT_EQ(FillClientVariables(text, values), FillBuiltInVariables(text, u"bob", u"Windows 10")) << ToUtf8(text);
}

TEST(Journal, ReadsBackWhatItWroteAndTellsATornOneFromADamagedOne) {
  World w;
  std::vector<Step> steps(3);
  steps[0] = {Step::ReplaceFile, u"C:\\A\\t\tab\\x.dll", u"C:\\A\\~tidewell\\new\\1", u"C:\\A\\~tidewell\\old\\2",
              u"", true, {}, {}, {}};
  steps[1] = {Step::SetValue, u"HKEY_CURRENT_USER\\S\\ü", u"", u"", u"na\\me\n", true, {4, {1, 2, 3, 4}}, kOld, {}};
  steps[2] = {Step::DeleteKey, u"HKEY_CURRENT_USER\\Gone", u"", u"", u"", true, {}, {}, {}};
  steps[2].previousKey.values.emplace_back(u"5:x", kOld);
  steps[2].previousKey.subkeys.emplace_back(u"Sub", RegistryKeySnapshot{{{u"", {3, {}}}}, {}});
  const std::string text = WriteJournal(steps);
  const JournalContents whole = ReadJournal(text);
  EXPECT_EQ(whole.status, JournalContents::Complete);
  EXPECT_EQ(whole.steps, steps);
  // Cut anywhere before its last line end, it was never finished, so nothing changed yet.
  for (size_t n = 0; n + 1 < text.size(); ++n) EXPECT_EQ(ReadJournal(text.substr(0, n)).status, JournalContents::CutShort) << n;
  EXPECT_EQ(ReadJournal(text.substr(0, text.size() - 1)).status, JournalContents::Complete);
  std::string damaged = text;
  damaged[text.find("HKEY_CURRENT_USER")] = 'X';
  const JournalContents read = ReadJournal(damaged);
  EXPECT_EQ(read.status, JournalContents::Damaged);
  EXPECT_EQ(read.steps.size(), 1u);
}

}  // namespace
}  // namespace tidewatch::engine
