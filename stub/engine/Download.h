#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "Platform.h"
#include "UpdateVerifier.h"

namespace tidewatch::engine {

// The most a file without a published size may bring (Size attribute and
// signed size both missing): a server that never ends its reply cannot fill
// the disk.
inline constexpr std::uint64_t kMaxUnsizedDownload = 1ull << 30;

struct DownloadRequest {
  std::string url;
  std::u16string path;                 // where the file goes in the work folder
  std::optional<std::int64_t> size;    // the Size the server update file gives
  std::string serverPath;              // for the verifier
  std::uint64_t unsizedLimit = kMaxUnsizedDownload;
};

// The size the request expects: the Size attribute holds its low 32 bits,
// as the tool writes it (0 when there is none).
std::uint64_t PublishedSize(const DownloadRequest& request);

// Whether a 206 reply answers the range asked for: its Content-Range
// ("bytes FIRST-LAST/TOTAL" or "bytes FIRST-LAST/*") starts at `offset`, and
// its body's `length`, when given, is LAST - FIRST + 1.
bool RangeReplyMatches(std::string_view contentRange, std::uint64_t offset, std::optional<std::uint64_t> length);

// Streams one file to disk (never whole in memory), resuming by range after a
// dropped connection; a server that answers 200 to a range is read from the
// start again, and a 206 that does not answer the range asked for (the
// client's HTTP reports it as not partial) fails the file. Nothing is written
// past the size the verifier's check gives (the signed size), else past the
// published Size, else past `unsizedLimit`; the size is checked against the
// published one, and the verifier, when there is one, sees every byte. `progress` gets the bytes of
// this file written so far, after every piece. The file is flushed to disk
// before this returns, unless `unflushed` is given: then the file, checked
// but not yet flushed, is handed over still open for the caller to flush.
bool DownloadFile(Http& http, FileSystem& files, UpdateVerifier* verifier, const DownloadRequest& request,
                  const std::function<void(std::uint64_t)>& progress, Failure& failure,
                  std::unique_ptr<FileWriter>* unflushed = nullptr);

// Flushes a downloaded file that DownloadFile handed over unflushed.
bool FlushDownloadedFile(FileWriter& writer, const DownloadRequest& request, Failure& failure);

// The whole body of a small document (the server update file and its
// signature); refused above `limit` bytes or with a status other than 200.
bool FetchDocument(Http& http, const std::string& url, std::size_t limit, std::string& body, Failure& failure);

}  // namespace tidewatch::engine
