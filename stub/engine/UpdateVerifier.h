#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tidewatch::engine {

// Checks what the client downloads before anything on the machine changes.
class DownloadCheck {
 public:
  virtual ~DownloadCheck() = default;
  // Every byte of the file, in order (a resumed download feeds the bytes already on disk first).
  virtual void Feed(const std::uint8_t* data, std::size_t size) = 0;
  // False with a reason in words when the file is not the one that was published.
  virtual bool Finish(std::string& reason) = 0;
  // The size the file must have, when the check knows it (the signed size):
  // the download stops there, whatever the server sends.
  virtual std::optional<std::uint64_t> Size() const { return std::nullopt; }
};

class UpdateVerifier {
 public:
  virtual ~UpdateVerifier() = default;
  // The server file's bytes and the bytes fetched from its URL with ".sig" appended
  // (nullopt when that fetch failed). False with a reason refuses the update.
  virtual bool AcceptServerFile(std::string_view document,
                                const std::optional<std::string>& signature,
                                std::string& reason) = 0;
  // One file about to be downloaded, named by its server path: the path below the
  // download base (string 3), segments joined by '/', not percent-encoded, UTF-8,
  // e.g. "bin/Library.dll" or "Program.exe". Files download several at
  // once: this is called from their threads, after AcceptServerFile, and
  // must not change what those calls share; each check serves one file.
  virtual std::unique_ptr<DownloadCheck> BeginFile(std::string_view serverPath) = 0;
};

}  // namespace tidewatch::engine
