#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace tidewell::pe {

// The reason given when a file cannot be written.
std::string CouldNotWrite(const std::filesystem::path& file);

// Writes a new file front to back. Runs of bytes that come unchanged from a
// source file are copied by the kernel where it can (no trip through this
// process's memory); everything else is written from memory. Writeback to
// disk is started every few megabytes while writing, so that the flush at
// the end has little left to wait for.
class FileWriter {
 public:
  // Creates (truncates) `target`; `source` is the file unchanged runs come from.
  static std::optional<FileWriter> Create(const std::filesystem::path& target,
                                          const std::filesystem::path& source, std::string* error);
  FileWriter(FileWriter&& other) noexcept;
  FileWriter& operator=(FileWriter&&) = delete;
  FileWriter(const FileWriter&) = delete;
  ~FileWriter();

  bool Write(std::span<const uint8_t> bytes);
  // `bytes` are the source file's bytes at `sourceOffset`, used when the
  // kernel cannot copy the range itself.
  bool CopyFromSource(uint64_t sourceOffset, std::span<const uint8_t> bytes);
  // Overwrites bytes already written, at `offset` from the start.
  bool WriteAt(uint64_t offset, std::span<const uint8_t> bytes);
  // Flushes the file to disk and closes it.
  bool Finish(std::string* error);
  // Why the first write that failed did: the file and the system's reason.
  std::string Failure() const;

 private:
  FileWriter() = default;
  void Close();
  void StartWriteback();
  bool Failed(int errorNumber);

  int target_ = -1;
  int source_ = -1;
  bool kernelCopy_ = true;
  uint64_t written_ = 0;      // bytes written so far, front to back
  uint64_t writtenBack_ = 0;  // bytes whose writeback to disk has been started
  int failure_ = 0;           // the system's error number of the first failed write
  std::filesystem::path targetPath_;
#ifdef _WIN32
  void* file_ = nullptr;
#endif
};

}  // namespace tidewell::pe
