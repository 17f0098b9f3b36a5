#pragma once

#include <filesystem>

#include "publish/PublishTarget.h"

namespace tidewell::publish {

// A folder of this machine or a mounted share: the web server's document
// folder. Uploads are copied block by block and flushed to the disk before
// they are renamed, which replaces the target in one step.
class FolderTarget final : public PublishTarget {
 public:
  explicit FolderTarget(std::filesystem::path root) : root_(std::move(root)) {}

  std::string Describe() const override { return root_.string(); }
  bool Stat(const std::string& path, std::optional<std::uint64_t>& size,
            std::string& error) override;
  bool Fetch(const std::string& path, std::optional<std::string>& bytes,
             std::string& error) override;
  bool Upload(const std::filesystem::path& local, const std::string& path,
              const TransferProgress& progress, std::string& error) override;
  bool Rename(const std::string& from, const std::string& to, std::string& error) override;
  bool Remove(const std::string& path, std::string& error) override;

 private:
  std::filesystem::path Place(const std::string& path) const;

  std::filesystem::path root_;
};

}  // namespace tidewell::publish
