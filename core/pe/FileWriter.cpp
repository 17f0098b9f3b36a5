#include "pe/FileWriter.h"
#include "platform/HostPath.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <utility>

#ifdef _WIN32
#include <cstdio>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tidewell::pe {

std::string CouldNotWrite(const std::filesystem::path& file) {
  return "could not write " + file.string();
}

std::string FileWriter::Failure() const {
  if (failure_ == 0) return CouldNotWrite(targetPath_);
  return CouldNotWrite(targetPath_) + ": " + std::generic_category().message(failure_);
}

bool FileWriter::Failed(int errorNumber) {
  if (failure_ == 0) failure_ = errorNumber;
  return false;
}

#ifndef _WIN32

namespace {
constexpr uint64_t kWritebackStep = 8ull << 20;
}  // namespace

std::optional<FileWriter> FileWriter::Create(const std::filesystem::path& target,
                                             const std::filesystem::path& source,
                                             std::string* error) {
  FileWriter writer;
  writer.targetPath_ = target;
  writer.target_ = ::open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (writer.target_ < 0) {
    if (error)
      *error = "could not create " + target.string() + ": " + std::generic_category().message(errno);
    return std::nullopt;
  }
  writer.source_ = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  writer.kernelCopy_ = writer.source_ >= 0;
  return writer;
}

FileWriter::FileWriter(FileWriter&& other) noexcept
    : target_(std::exchange(other.target_, -1)),
      source_(std::exchange(other.source_, -1)),
      kernelCopy_(other.kernelCopy_),
      written_(other.written_),
      writtenBack_(other.writtenBack_),
      failure_(other.failure_),
      targetPath_(std::move(other.targetPath_)) {}

FileWriter::~FileWriter() { Close(); }

void FileWriter::Close() {
  if (target_ >= 0) ::close(target_);
  if (source_ >= 0) ::close(source_);
  target_ = source_ = -1;
}

void FileWriter::StartWriteback() {
#ifdef __linux__
  if (written_ - writtenBack_ < kWritebackStep) return;
  ::sync_file_range(target_, static_cast<off_t>(writtenBack_),
                    static_cast<off_t>(written_ - writtenBack_), SYNC_FILE_RANGE_WRITE);
  writtenBack_ = written_;
#endif
}

bool FileWriter::Write(std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const size_t step = static_cast<size_t>(std::min<uint64_t>(bytes.size(), kWritebackStep));
    const ssize_t n = ::write(target_, bytes.data(), step);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Failed(n < 0 ? errno : ENOSPC);
    bytes = bytes.subspan(static_cast<size_t>(n));
    written_ += static_cast<uint64_t>(n);
    StartWriteback();
  }
  return true;
}

bool FileWriter::WriteAt(uint64_t offset, std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::pwrite(target_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Failed(n < 0 ? errno : ENOSPC);
    bytes = bytes.subspan(static_cast<size_t>(n));
    offset += static_cast<uint64_t>(n);
  }
  return true;
}

bool FileWriter::CopyFromSource(uint64_t sourceOffset, std::span<const uint8_t> bytes) {
#ifdef __linux__
  while (kernelCopy_ && !bytes.empty()) {
    loff_t in = static_cast<loff_t>(sourceOffset);
    const size_t step = static_cast<size_t>(std::min<uint64_t>(bytes.size(), kWritebackStep));
    const ssize_t n = ::copy_file_range(source_, &in, target_, nullptr, step, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      // Not supported between these files (or nothing copied): write the rest.
      kernelCopy_ = false;
      break;
    }
    sourceOffset += static_cast<uint64_t>(n);
    bytes = bytes.subspan(static_cast<size_t>(n));
    written_ += static_cast<uint64_t>(n);
    StartWriteback();
  }
#endif
  return Write(bytes);
}

bool FileWriter::Finish(std::string* error) {
  // Full disks and quotas often report only when the data is flushed.
  if (::fsync(target_) != 0) Failed(errno);
  if (::close(target_) != 0) Failed(errno);
  target_ = -1;
  Close();
  if (failure_ != 0) {
    if (error) *error = Failure();
    return false;
  }
  return true;
}

#else

std::optional<FileWriter> FileWriter::Create(const std::filesystem::path& target,
                                             const std::filesystem::path&, std::string* error) {
  FileWriter writer;
  writer.targetPath_ = target;
  writer.file_ = _wfopen(SystemPath(target).c_str(), L"wb");
  if (!writer.file_) {
    if (error) *error = "could not create " + target.string();
    return std::nullopt;
  }
  return writer;
}

FileWriter::FileWriter(FileWriter&& other) noexcept
    : failure_(other.failure_),
      targetPath_(std::move(other.targetPath_)),
      file_(std::exchange(other.file_, nullptr)) {}

FileWriter::~FileWriter() { Close(); }

void FileWriter::Close() {
  if (file_) std::fclose(static_cast<FILE*>(file_));
  file_ = nullptr;
}

bool FileWriter::Write(std::span<const uint8_t> bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), static_cast<FILE*>(file_)) == bytes.size())
    return true;
  return Failed(errno);
}

bool FileWriter::CopyFromSource(uint64_t, std::span<const uint8_t> bytes) { return Write(bytes); }

bool FileWriter::WriteAt(uint64_t offset, std::span<const uint8_t> bytes) {
  FILE* file = static_cast<FILE*>(file_);
  const long back = std::ftell(file);
  const bool ok = _fseeki64(file, static_cast<long long>(offset), SEEK_SET) == 0 && Write(bytes);
  return std::fseek(file, back, SEEK_SET) == 0 && ok;
}

bool FileWriter::Finish(std::string* error) {
  if (std::fflush(static_cast<FILE*>(file_)) != 0) Failed(errno);
  if (std::fclose(static_cast<FILE*>(file_)) != 0) Failed(errno);
  file_ = nullptr;
  if (failure_ != 0) {
    if (error) *error = Failure();
    return false;
  }
  return true;
}

#endif

}  // namespace tidewell::pe
