#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Download.h"
#include "Platform.h"
#include "UpdateVerifier.h"

namespace tidewatch::engine {

// How many files are fetched at once: enough to overlap each file's request
// latency, few enough that memory stays small (every transfer streams
// through one buffer of its own).
inline constexpr std::size_t kConcurrentTransfers = 6;
// How many downloaded files are flushed to disk at once, beside the
// transfers: a flush waits for the disk, so a transfer hands its finished file
// over and goes on with the next one. Transfers that find no file left help.
inline constexpr std::size_t kConcurrentFlushes = 2;

// Watches a download and can stop it. Its calls come one at a time, from
// whichever thread runs a transfer.
class DownloadObserver {
 public:
  virtual ~DownloadObserver() = default;
  // As a file starts, in list order: its name, its place in the list (from
  // 0) and the count. With several transfers at once, the latest started.
  virtual void FileStarted(const std::u16string& name, std::size_t index, std::size_t count) = 0;
  // The bytes of all files written so far and their published total; `done`
  // never goes down, and never passes `total`.
  virtual void Progress(std::uint64_t done, std::uint64_t total) = 0;
  // True once the user asked to stop: every transfer ends at its next piece.
  virtual bool StopRequested() = 0;
};

// One file of the list, named as the user knows it.
struct NamedDownload {
  const std::u16string* name;
  const DownloadRequest* request;
};

// What the download of a list reaches.
struct DownloadTools {
  Http& http;
  FileSystem& files;
  UpdateVerifier* verifier;  // may be nullptr; BeginFile is called from several threads
  Log& log;
  Workers* workers;  // nullptr: one file after another
};

enum class DownloadsEnd { Complete, Failed, Stopped };

// Downloads every file of the list (DownloadFile), up to
// kConcurrentTransfers at once; every file is on disk (flushed) when this
// answers Complete. The first failure, or a stop the observer asks for, ends
// every transfer at its next piece and starts no other; `failure` is then the
// first failure. The files stay where their requests put them (the work
// folder), complete or not.
DownloadsEnd DownloadAll(const DownloadTools& tools, const std::vector<NamedDownload>& list,
                         DownloadObserver* observer, Failure& failure);

}  // namespace tidewatch::engine
