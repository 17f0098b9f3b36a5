#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The small interfaces through which the update engine reaches the machine.
// The client implements them with the Windows API; the engine's tests with
// fakes. Paths are Windows paths (backslashes) in UTF-16.
namespace tidewatch::engine {

// What went wrong, in words, with the system's code (0 when there is none).
struct Failure {
  std::string what;
  std::uint32_t code = 0;
};

// The failure for a log line or a message: its words, then its code in brackets.
inline std::string Described(const Failure& failure) {
  return failure.code ? failure.what + " [" + std::to_string(failure.code) + "]" : failure.what;
}

// Error codes the engine reacts to; the values are Windows' own.
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
inline constexpr std::uint32_t kErrorDiskFull = 112;

class FileWriter {
 public:
  virtual ~FileWriter() = default;
  virtual bool Write(const std::uint8_t* data, std::size_t size, Failure& failure) = 0;
  // Everything written reaches the disk before this returns true.
  virtual bool Flush(Failure& failure) = 0;
};

class FileReader {
 public:
  virtual ~FileReader() = default;
  // Up to `size` bytes; 0 at the end.
  virtual bool Read(std::uint8_t* data, std::size_t size, std::size_t& got, Failure& failure) = 0;
  virtual bool Seek(std::uint64_t offset, Failure& failure) = 0;
  virtual std::uint64_t Size() = 0;
};

struct FileVersion {
  std::uint16_t major = 0;
  std::uint16_t minor = 0;
  bool operator==(const FileVersion&) const = default;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool FileExists(const std::u16string& path) = 0;
  virtual bool FolderExists(const std::u16string& path) = 0;
  virtual std::optional<std::uint64_t> FileSize(const std::u16string& path) = 0;
  // Last write time in 100 ns units since 1601, UTC.
  virtual std::optional<std::uint64_t> LastWriteTime(const std::u16string& path) = 0;
  // The fixed version of an executable's version resource (major.minor).
  virtual std::optional<FileVersion> Version(const std::u16string& path) = 0;
  // Creates one folder (its parent exists); true when it exists afterwards.
  virtual bool MakeFolder(const std::u16string& path, Failure& failure) = 0;
  virtual bool RemoveEmptyFolder(const std::u16string& path) = 0;
  // Marks a folder hidden (the work folder).
  virtual void Hide(const std::u16string& path) { (void)path; }
  // Creates or truncates (append = false) or appends to a file.
  virtual std::unique_ptr<FileWriter> OpenWrite(const std::u16string& path, bool append, Failure& failure) = 0;
  virtual std::unique_ptr<FileReader> OpenRead(const std::u16string& path, Failure& failure) = 0;
  // Renames within one volume, never over an existing file, written through.
  virtual bool Move(const std::u16string& from, const std::u16string& to, Failure& failure) = 0;
  // Gives an existing file a second name on its volume. Fails where the
  // volume keeps one name per file (FAT) or the names lie on two volumes.
  virtual bool Link(const std::u16string& existing, const std::u16string& link, Failure& failure) = 0;
  // Renames within one volume over an existing file in one step, written
  // through, so that the name never goes missing; refused for a file that is
  // running, read-only or held open without sharing its deletion.
  virtual bool MoveOver(const std::u16string& from, const std::u16string& to, Failure& failure) = 0;
  virtual bool RemoveFile(const std::u16string& path, Failure& failure) = 0;
  // Removes a folder with everything in it, as far as it can. A junction or
  // symbolic link, the folder itself or one inside it, is removed as a link:
  // what it points to is never touched.
  virtual void RemoveTree(const std::u16string& path) = 0;
  // True when another process holds the file so that it cannot be replaced.
  virtual bool InUse(const std::u16string& path) = 0;
};

// One registry value as stored: its type (REG_SZ = 1, REG_EXPAND_SZ = 2,
// REG_BINARY = 3, REG_DWORD = 4, REG_MULTI_SZ = 7) and its bytes.
struct RegistryValue {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> data;
  bool operator==(const RegistryValue&) const = default;
};

// A key with everything below it, kept to put back a removed key. (A
// subkey is a type of its own, and equality is written out, so that clang
// takes the type that holds itself.)
struct RegistrySubkey;
struct RegistryKeySnapshot {
  std::vector<std::pair<std::u16string, RegistryValue>> values;
  std::vector<RegistrySubkey> subkeys;
  bool operator==(const RegistryKeySnapshot& other) const;
};
struct RegistrySubkey {
  RegistrySubkey(std::u16string n, RegistryKeySnapshot k) : name(std::move(n)), key(std::move(k)) {}
  std::u16string name;
  RegistryKeySnapshot key;
  bool operator==(const RegistrySubkey& other) const { return name == other.name && key == other.key; }
};
inline bool RegistryKeySnapshot::operator==(const RegistryKeySnapshot& other) const {
  return values == other.values && subkeys == other.subkeys;
}

// Keys are named by their full path, base key first:
// "HKEY_CURRENT_USER\Software\Company".
class Registry {
 public:
  virtual ~Registry() = default;
  virtual bool KeyExists(const std::u16string& key) = 0;
  virtual std::optional<RegistryValue> ReadValue(const std::u16string& key, const std::u16string& name) = 0;
  // Creates the key and the keys above it as needed.
  virtual bool WriteValue(const std::u16string& key, const std::u16string& name, const RegistryValue& value,
                          Failure& failure) = 0;
  // True when the value is absent afterwards.
  virtual bool DeleteValue(const std::u16string& key, const std::u16string& name, Failure& failure) = 0;
  virtual bool CreateKey(const std::u16string& key, Failure& failure) = 0;
  // Removes the key with everything below it; true when it is absent afterwards.
  virtual bool DeleteKey(const std::u16string& key, Failure& failure) = 0;
  virtual std::optional<RegistryKeySnapshot> Snapshot(const std::u16string& key) = 0;
};

// What the client gets from an HTTP server as a reply arrives.
class HttpSink {
 public:
  virtual ~HttpSink() = default;
  // The status line and headers: `partial` when the server answered the range
  // asked for (a 206 whose Content-Range starts where the request asked),
  // `length` the body's length when the server gave one.
  virtual bool Begin(int status, bool partial, std::optional<std::uint64_t> length) = 0;
  // The next piece of the body; false stops the transfer.
  virtual bool Data(const std::uint8_t* data, std::size_t size) = 0;
};

class Http {
 public:
  virtual ~Http() = default;
  // GETs `url` (from byte `offset` on when it is not 0). False when the
  // transfer failed (no connection, dropped, timed out, or the sink stopped).
  virtual bool Get(const std::string& url, std::uint64_t offset, HttpSink& sink, Failure& failure) = 0;
};

// Starts a program or opens a document through the shell.
class Shell {
 public:
  virtual ~Shell() = default;
  // Waits up to `waitMs` for a started program to end (0: does not wait).
  virtual bool Start(const std::u16string& file, const std::u16string& directory, unsigned waitMs,
                     Failure& failure) = 0;
};

// The folders a destination or an execution names, and the running system.
struct Places {
  std::u16string applicationDir;   // <ApplicationDir>: the client's own folder
  std::u16string programFilesDir;  // <ProgramFilesDir>
  std::u16string systemDir;        // <SystemDir>
  std::u16string winDir;           // <WinDir>
  std::u16string clientPath;       // the client's own executable
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual void Sleep(unsigned milliseconds) = 0;
  virtual std::uint64_t Milliseconds() = 0;  // a steady count
};

// One line per event; the implementation adds the time stamp.
class Log {
 public:
  virtual ~Log() = default;
  virtual void Line(std::string_view text) = 0;
};

// A lock over the state that work running at the same time shares.
class Mutex {
 public:
  virtual ~Mutex() = default;
  virtual void lock() = 0;
  virtual void unlock() = 0;
};

// Lets a thread wait under a Mutex until another changes the state it guards.
class Condition {
 public:
  virtual ~Condition() = default;
  // Called with `held` locked: releases it while it waits and takes it again
  // before it returns, after a NotifyAll or now and then without one.
  virtual void Wait(Mutex& held) = 0;
  virtual void NotifyAll() = 0;
};

// Runs the same work on several threads at once.
class Workers {
 public:
  virtual ~Workers() = default;
  // Calls `body` on up to `count` threads at once (at least once, on the
  // calling thread when no other can be had) and returns when every call has
  // returned. The calls take their work from shared state, so any number of
  // them finishes it.
  virtual void Run(std::size_t count, const std::function<void()>& body) = 0;
  virtual std::unique_ptr<Mutex> NewMutex() = 0;
  // Waits under a Mutex made by the same Workers.
  virtual std::unique_ptr<Condition> NewCondition() = 0;
};

// Called after every completed step of an apply (the test hook that stops
// the process midway); nullptr outside tests.
using StepObserver = std::function<void(std::size_t completedSteps)>;

}  // namespace tidewatch::engine
