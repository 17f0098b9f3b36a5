#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tidewell::publish {

// Told how many bytes of the current transfer have gone; answering false
// cancels the transfer.
using TransferProgress = std::function<bool(std::uint64_t sent)>;

// A place a release is published to: a folder, or a server reached over
// SFTP, WebDAV or S3. Paths are relative to the target's root, their
// segments joined by '/'. Every operation answers false with `error` saying
// what failed and where.
class PublishTarget {
 public:
  virtual ~PublishTarget() = default;

  // Where the target is, for messages (never with a password).
  virtual std::string Describe() const = 0;
  // The size of the file at `path`; nullopt when there is none.
  virtual bool Stat(const std::string& path, std::optional<std::uint64_t>& size,
                    std::string& error) = 0;
  // The whole content of a small file; nullopt when there is none.
  virtual bool Fetch(const std::string& path, std::optional<std::string>& bytes,
                     std::string& error) = 0;
  // Writes a local file's content to `path`, making its folders. Callers
  // name a temporary path and rename it into place, so a reader never sees a
  // file half written.
  virtual bool Upload(const std::filesystem::path& local, const std::string& path,
                      const TransferProgress& progress, std::string& error) = 0;
  // Puts the file at `from` in place of `to`, replacing what was there.
  virtual bool Rename(const std::string& from, const std::string& to, std::string& error) = 0;
  // Removes the file at `path`; a file already gone is no failure.
  virtual bool Remove(const std::string& path, std::string& error) = 0;
};

// The parent folder of a target path ("" at the root) and its last segment.
std::string ParentOf(const std::string& path);
std::string NameOf(const std::string& path);
// Joins a prefix ("files" or "") and a path with one '/'.
std::string JoinTargetPath(const std::string& prefix, const std::string& path);
// The temporary name a file is uploaded under beside `path`.
std::string TemporaryPathFor(const std::string& path);

}  // namespace tidewell::publish
