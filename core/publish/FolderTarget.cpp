#include "publish/FolderTarget.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include <utility>

#include "platform/AtomicFile.h"

namespace tidewell::publish {

namespace fs = std::filesystem;

namespace {

bool Fail(std::string& error, const std::string& what, const fs::path& path, int number) {
  error = what + " " + path.string() + ": " + SystemReason(number);
  return false;
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }
  int Release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t wrote = ::write(fd, data, size);
    if (wrote < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += wrote;
    size -= static_cast<std::size_t>(wrote);
  }
  return true;
}

}  // namespace

fs::path FolderTarget::Place(const std::string& path) const {
  return path.empty() ? root_ : root_ / fs::path(path);
}

bool FolderTarget::Stat(const std::string& path, std::optional<std::uint64_t>& size,
                        std::string& error) {
  std::error_code ec;
  const fs::path place = Place(path);
  const fs::file_status status = fs::status(place, ec);
  size.reset();
  if (status.type() == fs::file_type::not_found) return true;
  if (ec) return Fail(error, "cannot look at", place, ec.value());
  if (status.type() != fs::file_type::regular) {
    error = place.string() + " is not a file";
    return false;
  }
  size = fs::file_size(place, ec);
  if (ec) return Fail(error, "cannot look at", place, ec.value());
  return true;
}

bool FolderTarget::Fetch(const std::string& path, std::optional<std::string>& bytes,
                         std::string& error) {
  const fs::path place = Place(path);
  std::error_code ec;
  bytes.reset();
  if (!fs::exists(place, ec)) {
    if (ec) return Fail(error, "cannot look at", place, ec.value());
    return true;
  }
  std::ifstream in(place, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) return Fail(error, "cannot read", place, errno);
  bytes = std::move(content);
  return true;
}

bool FolderTarget::Upload(const fs::path& local, const std::string& path,
                          const TransferProgress& progress, std::string& error) {
  const fs::path place = Place(path);
  std::error_code ec;
  fs::create_directories(place.parent_path(), ec);
  if (ec) return Fail(error, "cannot make the folder", place.parent_path(), ec.value());
  Descriptor in(::open(local.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.Get() < 0) return Fail(error, "cannot read", local, errno);
  Descriptor out(::open(place.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (out.Get() < 0) return Fail(error, "cannot write", place, errno);

  auto abandon = [&](const char* what, const fs::path& where, int number) {
    Fail(error, what, where, number);
    ::close(out.Release());
    fs::remove(place, ec);
    return false;
  };
  std::vector<char> block(1 << 20);
  std::uint64_t sent = 0;
  while (true) {
    const ssize_t got = ::read(in.Get(), block.data(), block.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      return abandon("cannot read", local, errno);
    }
    if (got == 0) break;
    if (!WriteAll(out.Get(), block.data(), static_cast<std::size_t>(got)))
      return abandon("cannot write", place, errno);
    sent += static_cast<std::uint64_t>(got);
    if (progress && !progress(sent)) {
      error = "cancelled";
      ::close(out.Release());
      fs::remove(place, ec);
      return false;
    }
  }
  if (::fsync(out.Get()) != 0) return abandon("cannot write", place, errno);
  if (::close(out.Release()) != 0) {
    Fail(error, "cannot write", place, errno);
    fs::remove(place, ec);
    return false;
  }
  return true;
}

bool FolderTarget::Rename(const std::string& from, const std::string& to, std::string& error) {
  std::error_code ec;
  fs::rename(Place(from), Place(to), ec);
  if (ec) return Fail(error, "cannot put in place", Place(to), ec.value());
  return true;
}

bool FolderTarget::Remove(const std::string& path, std::string& error) {
  std::error_code ec;
  fs::remove(Place(path), ec);
  if (ec) return Fail(error, "cannot remove", Place(path), ec.value());
  return true;
}

}  // namespace tidewell::publish
