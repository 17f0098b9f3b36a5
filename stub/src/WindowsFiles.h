#pragma once

#include <atomic>
#include <cstdint>

#include "Platform.h"

namespace tidewatch {

// Files through the Windows API: writes that reach the disk before they
// count as done, renames by MoveFileExW, second names by CreateHardLinkW,
// versions from the version resource.
class WindowsFiles : public engine::FileSystem {
 public:
  // `diskFullAfter`: a test hook; writes fail with ERROR_DISK_FULL once this
  // many bytes were written in total (0: never).
  explicit WindowsFiles(std::uint64_t diskFullAfter = 0) : diskFullAfter_(diskFullAfter) {}

  bool FileExists(const std::u16string& path) override;
  bool FolderExists(const std::u16string& path) override;
  std::optional<std::uint64_t> FileSize(const std::u16string& path) override;
  std::optional<std::uint64_t> LastWriteTime(const std::u16string& path) override;
  std::optional<engine::FileVersion> Version(const std::u16string& path) override;
  bool MakeFolder(const std::u16string& path, engine::Failure& failure) override;
  bool RemoveEmptyFolder(const std::u16string& path) override;
  void Hide(const std::u16string& path) override;
  std::unique_ptr<engine::FileWriter> OpenWrite(const std::u16string& path, bool append,
                                                engine::Failure& failure) override;
  std::unique_ptr<engine::FileReader> OpenRead(const std::u16string& path, engine::Failure& failure) override;
  bool Move(const std::u16string& from, const std::u16string& to, engine::Failure& failure) override;
  bool Link(const std::u16string& existing, const std::u16string& link, engine::Failure& failure) override;
  bool MoveOver(const std::u16string& from, const std::u16string& to, engine::Failure& failure) override;
  bool RemoveFile(const std::u16string& path, engine::Failure& failure) override;
  void RemoveTree(const std::u16string& path) override;
  bool InUse(const std::u16string& path) override;

  // Counts bytes against the disk-full hook; false once it is reached. Safe
  // from several threads at once.
  bool Allow(std::uint64_t bytes);

 private:
  std::uint64_t diskFullAfter_;
  std::atomic<std::uint64_t> written_{0};
};

}  // namespace tidewatch
