#pragma once

// Fakes of the machine for the update engine's tests: files and folders, the
// registry, an HTTP server with faults, the shell, a clock and a log held in
// memory, with one shared counter that makes the n-th change fail. Writes
// and transfers may come from several threads at once.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "Platform.h"
#include "Text.h"
#include "KeyChangeStore.h"

namespace tidewatch::engine::testing {

// Fails the n-th change (counting from 1) of the files and the registry.
struct FaultCounter {
  int failAt = 0;
  int changes = 0;
  bool Tick(Failure& failure) {
    if (++changes == failAt) {
      failure = {"injected fault", 5};
      return false;
    }
    return true;
  }
};

struct FileEntry {
  std::string bytes;
  std::uint64_t written = 0;
  std::optional<FileVersion> version;
  bool operator==(const FileEntry&) const = default;
};

class FakeFiles : public FileSystem {
 public:
  explicit FakeFiles(FaultCounter& faults) : faults_(faults) {}
  std::map<std::u16string, FileEntry> files;
  std::set<std::u16string> folders;
  std::set<std::u16string> inUse;
  std::uint64_t now = 133'000'000'000'000'000;  // a file time in 2022

  bool FileExists(const std::u16string& p) override { return files.count(p) > 0; }
  bool FolderExists(const std::u16string& p) override { return folders.count(p) > 0; }
  std::optional<std::uint64_t> FileSize(const std::u16string& p) override {
    if (!files.count(p)) return std::nullopt;
    return files[p].bytes.size();
  }
  std::optional<std::uint64_t> LastWriteTime(const std::u16string& p) override {
    if (!files.count(p)) return std::nullopt;
    return files[p].written;
  }
  std::optional<FileVersion> Version(const std::u16string& p) override {
    return files.count(p) ? files[p].version : std::nullopt;
  }
  bool MakeFolder(const std::u16string& p, Failure& f) override {
    if (!folders.count(ParentPath(p)) && ParentPath(p).find(u'\\') != std::u16string::npos) {
      f = {"no parent", 3};
      return false;
    }
    if (!faults_.Tick(f)) return false;
    folders.insert(p);
    return true;
  }
  bool RemoveEmptyFolder(const std::u16string& p) override {
    for (const auto& [path, _] : files)
      if (path.starts_with(p + u"\\")) return false;
    for (const auto& folder : folders)
      if (folder.starts_with(p + u"\\")) return false;
    return folders.erase(p) > 0;
  }

  class Writer : public FileWriter {
   public:
    Writer(FakeFiles& owner, std::u16string path) : owner_(owner), path_(std::move(path)) {}
    bool Write(const std::uint8_t* d, std::size_t n, Failure& f) override {
      std::lock_guard<std::mutex> held(owner_.guard);
      if (owner_.diskFullAfter && owner_.totalWritten + n > owner_.diskFullAfter) {
        f = {"disk full", kErrorDiskFull};
        return false;
      }
      owner_.totalWritten += n;
      owner_.files[path_].bytes.append(reinterpret_cast<const char*>(d), n);
      return true;
    }
    bool Flush(Failure& f) override {
      std::lock_guard<std::mutex> held(owner_.guard);
      if (path_ == owner_.flushFails) {
        f = {"the disk failed", 1117};
        return false;
      }
      owner_.flushed.insert(path_);
      return true;
    }

   private:
    FakeFiles& owner_;
    std::u16string path_;
  };
  class Reader : public FileReader {
   public:
    explicit Reader(std::string bytes) : bytes_(std::move(bytes)) {}
    bool Read(std::uint8_t* d, std::size_t n, std::size_t& got, Failure&) override {
      got = std::min(n, bytes_.size() - pos_);
      std::copy_n(bytes_.data() + pos_, got, reinterpret_cast<char*>(d));
      pos_ += got;
      return true;
    }
    bool Seek(std::uint64_t offset, Failure&) override {
      pos_ = std::min<std::size_t>(offset, bytes_.size());
      return true;
    }
    std::uint64_t Size() override { return bytes_.size(); }

   private:
    std::string bytes_;
    std::size_t pos_ = 0;
  };

  std::unique_ptr<FileWriter> OpenWrite(const std::u16string& p, bool append, Failure& f) override {
    std::lock_guard<std::mutex> held(guard);
    if (!folders.count(ParentPath(p))) {
      f = {"no folder", 3};
      return nullptr;
    }
    auto& entry = files[p];
    if (!append) entry.bytes.clear();
    entry.written = ++now;
    entry.version.reset();
    return std::make_unique<Writer>(*this, p);
  }
  std::unique_ptr<FileReader> OpenRead(const std::u16string& p, Failure& f) override {
    if (!files.count(p)) {
      f = {"missing", kErrorFileNotFound};
      return nullptr;
    }
    return std::make_unique<Reader>(files[p].bytes);
  }
  bool Move(const std::u16string& from, const std::u16string& to, Failure& f) override {
    return Rename(from, to, false, f);
  }
  bool MoveOver(const std::u16string& from, const std::u16string& to, Failure& f) override {
    return Rename(from, to, true, f);
  }
  // A link is a copy here: neither name's bytes change while both exist.
  bool Link(const std::u16string& existing, const std::u16string& link, Failure& f) override {
    std::lock_guard<std::mutex> held(guard);
    if (noLinks || !files.count(existing) || files.count(link) || !folders.count(ParentPath(link))) {
      f = {"cannot link " + ToUtf8(existing), noLinks ? 1u : 183u};
      return false;
    }
    if (!faults_.Tick(f)) return false;
    files[link] = files[existing];
    return true;
  }
  bool RemoveFile(const std::u16string& p, Failure& f) override {
    std::lock_guard<std::mutex> held(guard);
    if (!undeletableUnder.empty() && p.starts_with(undeletableUnder)) {
      f = {"held open without sharing its deletion", kErrorSharingViolation};
      return false;
    }
    if (!faults_.Tick(f)) return false;
    files.erase(p);
    return true;
  }
  void RemoveTree(const std::u16string& p) override {
    std::erase_if(files, [&](const auto& e) { return e.first.starts_with(p + u"\\"); });
    std::erase_if(folders, [&](const auto& e) { return e == p || e.starts_with(p + u"\\"); });
  }
  bool InUse(const std::u16string& p) override { return inUse.count(p) > 0; }

  bool noLinks = false;                 // a volume with one name per file (FAT)
  std::u16string undeletableUnder;      // names under it cannot be deleted
  std::uint64_t diskFullAfter = 0, totalWritten = 0;
  std::set<std::u16string> flushed;   // the files written and flushed to disk
  std::u16string flushFails;          // the file whose flush fails
  std::mutex guard;  // over what downloads write and what replacements change

 private:
  bool Rename(const std::u16string& from, const std::u16string& to, bool over, Failure& f) {
    std::lock_guard<std::mutex> held(guard);
    if (!files.count(from) || (!over && files.count(to)) || !folders.count(ParentPath(to))) {
      f = {"cannot move " + ToUtf8(from), 183};
      return false;
    }
    if (inUse.count(from) || inUse.count(to)) {
      f = {"in use", kErrorSharingViolation};
      return false;
    }
    if (!faults_.Tick(f)) return false;
    files[to] = files[from];
    files.erase(from);
    return true;
  }

  FaultCounter& faults_;
};

class FakeRegistry : public Registry {
 public:
  explicit FakeRegistry(FaultCounter& faults) : faults_(faults) {}
  // Every key by its full path (the base keys always exist), its values by name.
  std::map<std::u16string, std::map<std::u16string, RegistryValue>> keys;

  bool KeyExists(const std::u16string& k) override { return k.find(u'\\') == std::u16string::npos || keys.count(k); }
  std::optional<RegistryValue> ReadValue(const std::u16string& k, const std::u16string& n) override {
    if (!keys.count(k) || !keys[k].count(n)) return std::nullopt;
    return keys[k][n];
  }
  bool WriteValue(const std::u16string& k, const std::u16string& n, const RegistryValue& v, Failure& f) override {
    if (!faults_.Tick(f)) return false;
    MakeKey(k);
    keys[k][n] = v;
    return true;
  }
  bool DeleteValue(const std::u16string& k, const std::u16string& n, Failure& f) override {
    if (!faults_.Tick(f)) return false;
    if (keys.count(k)) keys[k].erase(n);
    return true;
  }
  bool CreateKey(const std::u16string& k, Failure& f) override {
    if (!faults_.Tick(f)) return false;
    MakeKey(k);
    return true;
  }
  bool DeleteKey(const std::u16string& k, Failure& f) override {
    if (!faults_.Tick(f)) return false;
    std::erase_if(keys, [&](const auto& e) { return e.first == k || e.first.starts_with(k + u"\\"); });
    return true;
  }
  std::optional<RegistryKeySnapshot> Snapshot(const std::u16string& k) override {
    if (!keys.count(k)) return std::nullopt;
    RegistryKeySnapshot s;
    for (const auto& [name, value] : keys[k]) s.values.emplace_back(name, value);
    for (const auto& [path, _] : keys)
      if (path.starts_with(k + u"\\") && path.find(u'\\', k.size() + 1) == std::u16string::npos)
        s.subkeys.emplace_back(path.substr(k.size() + 1), *Snapshot(path));
    return s;
  }

 private:
  void MakeKey(const std::u16string& k) {
    for (size_t cut = k.find(u'\\', k.find(u'\\') + 1); cut != std::u16string::npos; cut = k.find(u'\\', cut + 1))
      keys[k.substr(0, cut)];
    keys[k];
  }
  FaultCounter& faults_;
};

// A server of bodies by address, with faults.
class FakeHttp : public Http {
 public:
  struct Resource {
    int status = 200;
    std::string body;
    std::size_t dropAfter = 0;  // > 0: the first transfer breaks after this many bytes
    bool ignoresRange = false;
    bool wrongRange = false;  // a range is answered by a 206 with bytes from elsewhere (not partial)
    bool endless = false;  // streams the body over and over until the client stops the transfer
  };
  std::map<std::string, Resource> resources;
  std::vector<std::string> requests;
  int unstopped = 0;  // endless transfers that gave up waiting for the client to stop them

  bool Get(const std::string& url, std::uint64_t offset, HttpSink& sink, Failure& f) override {
    Resource r;
    {
      std::lock_guard<std::mutex> held(guard_);
      requests.push_back(url + (offset ? "@" + std::to_string(offset) : ""));
      auto it = resources.find(url);
      if (it != resources.end()) {
        r = it->second;
        it->second.dropAfter = 0;
      } else {
        r.status = 404;
      }
    }
    if (r.status == 404) {
      sink.Begin(404, false, 9);
      return true;
    }
    const bool partial = offset > 0 && !r.ignoresRange && !r.wrongRange;
    std::string body = partial && !r.endless ? r.body.substr(offset) : r.body;
    if (offset > 0 && r.wrongRange) body = r.body.substr(offset / 2);
    const int status = offset > 0 && r.wrongRange ? 206 : r.status;
    if (!sink.Begin(status, partial, r.endless ? std::nullopt : std::optional<std::uint64_t>(body.size()))) {
      f = {"stopped", 0};
      return false;
    }
    if (r.endless) return Endless(body, sink, f);
    const std::size_t send = r.dropAfter ? std::min(r.dropAfter, body.size()) : body.size();
    for (std::size_t i = 0; i < send; i += 7) {  // in small pieces
      if (!sink.Data(reinterpret_cast<const std::uint8_t*>(body.data() + i), std::min<std::size_t>(7, send - i))) {
        f = {"stopped", 0};
        return false;
      }
    }
    if (r.dropAfter) {
      f = {"the connection was dropped", 12030};
      return false;
    }
    return true;
  }

 private:
  bool Endless(const std::string& body, HttpSink& sink, Failure& f) {
    // Once one gave up, the others do at once rather than each waiting.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (sink.Data(reinterpret_cast<const std::uint8_t*>(body.data()), body.size())) {
      if (gaveUp_ || std::chrono::steady_clock::now() > until) {
        std::lock_guard<std::mutex> held(guard_);
        gaveUp_ = true;
        ++unstopped;
        f = {"never stopped", 0};
        return false;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    f = {"stopped", 0};
    return false;
  }
  std::mutex guard_;
  std::atomic<bool> gaveUp_{false};
};

// Work on std::thread, as the client runs it on Windows threads.
struct ThreadWorkers : Workers {
  struct Lock : Mutex {
    std::mutex mutex;
    void lock() override { mutex.lock(); }
    void unlock() override { mutex.unlock(); }
  };
  std::size_t largest = 0;  // the most threads asked for at once
  std::size_t given = 0;    // > 0: at most this many threads, as a system short of them gives
  void Run(std::size_t count, const std::function<void()>& body) override {
    largest = std::max(largest, count);
    if (given) count = std::min(count, given);
    std::vector<std::thread> threads;
    for (std::size_t i = 1; i < count; ++i) threads.emplace_back(body);
    body();
    for (auto& thread : threads) thread.join();
  }
  std::unique_ptr<Mutex> NewMutex() override { return std::make_unique<Lock>(); }
  struct Signal : Condition {
    std::condition_variable_any condition;
    void Wait(Mutex& held) override { condition.wait(held); }
    void NotifyAll() override { condition.notify_all(); }
  };
  std::unique_ptr<Condition> NewCondition() override { return std::make_unique<Signal>(); }
};

struct FakeShell : Shell {
  std::vector<std::u16string> started;
  bool Start(const std::u16string& file, const std::u16string&, unsigned, Failure&) override {
    started.push_back(file);
    return true;
  }
};

struct FakeClock : Clock {
  std::uint64_t ms = 0;
  void Sleep(unsigned n) override { ms += n; }
  std::uint64_t Milliseconds() override { return ms; }
};

struct FakeLog : Log {
  std::vector<std::string> lines;
  void Line(std::string_view text) override { lines.emplace_back(text); }
  bool Has(std::string_view part) const {
    for (const auto& line : lines)
      if (line.find(part) != std::string::npos) return true;
    return false;
  }
};

// The per-user store of a key change, in memory.
struct MemoryKeyStore : KeyChangeStore {
  std::optional<std::string> stored;
  int saves = 0;
  std::optional<std::string> Load() override { return stored; }
  bool Save(const std::string& text) override {
    stored = text;
    ++saves;
    return true;
  }
};

}  // namespace tidewatch::engine::testing
