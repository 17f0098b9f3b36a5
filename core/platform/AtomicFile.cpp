#include "platform/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <system_error>

#include "platform/HostPath.h"

#ifdef _WIN32
#include <windows.h>
#include <process.h>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tidewell {

namespace fs = std::filesystem;

namespace {

// Linux allows 40 links in a path; a longer chain is a loop.
constexpr int kMaxLinkHops = 40;
// Named temporaries are ".<file name>" + this marker + "<process>-<count>.tmp".
constexpr std::string_view kTemporaryMarker = ".tidewell-";
constexpr std::string_view kTemporarySuffix = ".tmp";

fs::path NamedTemporaryBeside(const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  fs::path name = "." + target.filename().string();
  name += std::string(kTemporaryMarker) + std::to_string(CurrentProcessId()) + "-" +
          std::to_string(counter++) + std::string(kTemporarySuffix);
  return target.parent_path() / name;
}

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (const char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// The process that made a named temporary of `fileName`, or nullopt when
// `entry` is no such temporary.
std::optional<int> TemporaryOwner(std::string_view entry, std::string_view fileName) {
  const std::string prefix = "." + std::string(fileName) + std::string(kTemporaryMarker);
  if (entry.size() <= prefix.size() + kTemporarySuffix.size() || !entry.starts_with(prefix) ||
      !entry.ends_with(kTemporarySuffix))
    return std::nullopt;
  const std::string_view middle =
      entry.substr(prefix.size(), entry.size() - prefix.size() - kTemporarySuffix.size());
  const size_t dash = middle.find('-');
  if (dash == std::string_view::npos || !AllDigits(middle.substr(0, dash)) ||
      !AllDigits(middle.substr(dash + 1)))
    return std::nullopt;
  int pid = 0;
  std::from_chars(middle.data(), middle.data() + dash, pid);
  return pid;
}

// Earlier versions named their temporaries "<file name>.tmp-<stamp>-<count>".
bool IsEarlierTemporary(std::string_view entry, std::string_view fileName) {
  const std::string prefix = std::string(fileName) + ".tmp-";
  if (!entry.starts_with(prefix)) return false;
  const std::string_view rest = entry.substr(prefix.size());
  const size_t dash = rest.find('-');
  return dash != std::string_view::npos && AllDigits(rest.substr(0, dash)) &&
         AllDigits(rest.substr(dash + 1));
}

// Removes what killed writers of `target` left behind: named temporaries of
// processes that have ended.
void RemoveStaleTemporaries(const fs::path& target) {
  const std::string fileName = target.filename().string();
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::error_code ec;
  for (fs::directory_iterator it(SystemPath(folder), ec), end; !ec && it != end; it.increment(ec)) {
    const std::string entry = it->path().filename().string();
    const std::optional<int> owner = TemporaryOwner(entry, fileName);
    if ((owner && !ProcessIsAlive(*owner)) || IsEarlierTemporary(entry, fileName)) {
      std::error_code removeError;
      fs::remove(it->path(), removeError);
    }
  }
}

#ifdef _WIN32
std::string WindowsReason(DWORD code) {
  return std::system_category().message(static_cast<int>(code));
}
#endif

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

// Replaces every mention of `from` in `text` with `to`.
void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
  if (from.empty()) return;
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// The temporary file a replacement writes: unnamed where the system allows,
// named otherwise. Removed (or never named) unless committed.
class Temporary {
 public:
  explicit Temporary(fs::path target) : target_(std::move(target)) {}
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;
  ~Temporary() {
#ifndef _WIN32
    if (fd_ >= 0) ::close(fd_);
#endif
    if (!named_.empty()) {
      std::error_code ec;
      fs::remove(SystemPath(named_), ec);
    }
  }

  bool Create(std::string* error) {
#if defined(__linux__) && defined(O_TMPFILE)
    fs::path folder = target_.parent_path();
    if (folder.empty()) folder = ".";
    fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd_ >= 0) {
      // The unnamed file is reached through its descriptor's entry in /proc,
      // both by the writer and by the link made at the end.
      path_ = "/proc/self/fd/" + std::to_string(fd_);
      if (::access(path_.c_str(), W_OK) == 0) return true;
      ::close(fd_);
      fd_ = -1;
    }
#endif
    named_ = NamedTemporaryBeside(target_);
    path_ = named_;
#ifdef _WIN32
    path_ = SystemPath(named_);
    std::ofstream create(path_, std::ios::binary | std::ios::trunc);
    if (!create) {
      named_.clear();
      return Fail(error, "could not create a temporary file beside " + target_.string());
    }
    return true;
#else
    fd_ = ::open(named_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0) {
      const int reason = errno;
      named_.clear();
      return Fail(error, "could not create a temporary file beside " + target_.string() + ": " +
                             SystemReason(reason));
    }
    return true;
#endif
  }

  const fs::path& Path() const { return path_; }

  // Gives the file the mode, owner and group of the file it replaces. The
  // owner and group are kept only where this process may set them.
  void TakeMetadataOf(const fs::path& replaced) {
#ifdef _WIN32
    // The replaced file is writable (checked before); its other marks stay.
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attributes = GetFileAttributesW(SystemPath(replaced).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kKept) != 0)
      SetFileAttributesW(path_.c_str(), attributes & (kKept | FILE_ATTRIBUTE_ARCHIVE));
#else
    struct stat st {};
    if (::stat(replaced.c_str(), &st) != 0) return;
    if (::fchown(fd_, st.st_uid, st.st_gid) != 0) {
      [[maybe_unused]] const int ignored = ::fchown(fd_, static_cast<uid_t>(-1), st.st_gid);
    }
    // After the owner: changing it may clear the set-user and set-group bits.
    ::fchmod(fd_, st.st_mode & 07777);
#endif
  }

  bool Commit(std::string* error) {
#ifndef _WIN32
    if (::fsync(fd_) != 0)
      return Fail(error, "could not write " + target_.string() + ": " + SystemReason(errno));
    if (named_.empty()) {
      // Named at the last moment, under a name the next write recognises
      // should this process die before the rename.
      for (int attempt = 0; attempt < 100 && named_.empty(); ++attempt) {
        const fs::path name = NamedTemporaryBeside(target_);
        if (::linkat(AT_FDCWD, path_.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
          named_ = name;
        else if (errno != EEXIST)
          return Fail(error, "could not replace " + target_.string() + ": " + SystemReason(errno));
      }
      if (named_.empty()) return Fail(error, "could not replace " + target_.string());
    }
    ::close(fd_);
    fd_ = -1;
    if (::rename(named_.c_str(), target_.c_str()) != 0)
      return Fail(error, "could not replace " + target_.string() + ": " + SystemReason(errno));
    named_.clear();
    // The rename itself is made durable with the folder.
    fs::path folder = target_.parent_path();
    if (folder.empty()) folder = ".";
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
      ::fsync(folderFd);
      ::close(folderFd);
    }
    return true;
#else
    // The bytes reach the disk before the name moves over the old file, and
    // the move itself is written through: a crash leaves the old file or the
    // whole new one, never an empty one.
    const HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
      return Fail(error, "could not write " + target_.string() + ": " + WindowsReason(GetLastError()));
    const bool flushed = FlushFileBuffers(file) != 0;
    const DWORD flushError = GetLastError();
    CloseHandle(file);
    if (!flushed) return Fail(error, "could not write " + target_.string() + ": " + WindowsReason(flushError));
    if (!MoveFileExW(path_.c_str(), SystemPath(target_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      return Fail(error, "could not replace " + target_.string() + ": " + WindowsReason(GetLastError()));
    named_.clear();
    return true;
#endif
  }

 private:
  fs::path target_;
  fs::path path_;   // where the writer reaches the file
  fs::path named_;  // the file's name in the target's folder, once it has one
  int fd_ = -1;
};

}  // namespace

std::string SystemReason(int errorNumber) {
  return std::generic_category().message(errorNumber);
}

int CurrentProcessId() {
#ifdef _WIN32
  return _getpid();
#else
  return static_cast<int>(::getpid());
#endif
}

bool ProcessIsAlive(int pid) {
#ifdef _WIN32
  (void)pid;
  return false;  // an open file cannot be removed there, so trying is harmless
#else
  if (pid == CurrentProcessId()) return true;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
#endif
}

bool MoveIntoPlace(const fs::path& finished, const fs::path& target, std::string* error) {
#ifdef _WIN32
  const std::wstring from = SystemPath(finished).wstring(), to = SystemPath(target).wstring();
  const HANDLE file = CreateFileW(from.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return Fail(error, "could not write " + target.string() + ": " + WindowsReason(GetLastError()));
  const bool flushed = FlushFileBuffers(file) != 0;
  const DWORD flushError = GetLastError();
  CloseHandle(file);
  if (!flushed) return Fail(error, "could not write " + target.string() + ": " + WindowsReason(flushError));
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return Fail(error, "could not replace " + target.string() + ": " + WindowsReason(GetLastError()));
  return true;
#else
  const int fd = ::open(finished.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 || ::fsync(fd) != 0) {
    const int reason = errno;
    if (fd >= 0) ::close(fd);
    return Fail(error, "could not write " + target.string() + ": " + SystemReason(reason));
  }
  ::close(fd);
  if (::rename(finished.c_str(), target.c_str()) != 0)
    return Fail(error, "could not replace " + target.string() + ": " + SystemReason(errno));
  const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folderFd >= 0) {
    ::fsync(folderFd);
    ::close(folderFd);
  }
  return true;
#endif
}

std::optional<fs::path> ResolveWriteTarget(const fs::path& path, std::string* error) {
  fs::path current = path;
  for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(current, ec))) return current;
    const fs::path next = fs::read_symlink(current, ec);
    if (ec) {
      Fail(error, "cannot resolve " + path.string() + ": " + ec.message());
      return std::nullopt;
    }
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  Fail(error, "cannot resolve " + path.string() + ": " + SystemReason(ELOOP));
  return std::nullopt;
}

bool CheckReplaceable(const fs::path& target, std::string* error) {
#ifdef _WIN32
  // The system's own attributes: the C library's status takes no long paths.
  const DWORD attributes = GetFileAttributesW(SystemPath(target).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE))
    return Fail(error, "cannot write " + target.string() + ": it is not a regular file");
  if (attributes & FILE_ATTRIBUTE_READONLY)
    return Fail(error, "cannot write " + target.string() + ": the file is read-only");
  return true;
#else
  std::error_code ec;
  const fs::file_status status = fs::status(target, ec);
  if (!fs::exists(status)) return true;
  if (!fs::is_regular_file(status))
    return Fail(error, "cannot write " + target.string() + ": it is not a regular file");
  // Read-only for everyone is refused even where this process could write
  // it anyway (the superuser can): the mark says the file is to be kept.
  constexpr auto kAnyWrite =
      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  if ((status.permissions() & kAnyWrite) == fs::perms::none)
    return Fail(error, "cannot write " + target.string() + ": the file is read-only");
  // The rename needs only the folder's permission; the file's own is asked
  // for here, as writing into it would.
  const int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return Fail(error, "cannot write " + target.string() + ": " + SystemReason(errno));
  ::close(fd);
  return true;
#endif
}

bool ReplaceFileAtomically(const fs::path& path, const FillTemporary& fill, std::string* error) {
  const std::optional<fs::path> target = ResolveWriteTarget(path, error);
  if (!target || !CheckReplaceable(*target, error)) return false;
  RemoveStaleTemporaries(*target);

  Temporary temporary(*target);
  if (!temporary.Create(error)) return false;
  bool filled = false;
  std::string reason;
  try {
    filled = fill(temporary.Path());
  } catch (const std::exception& e) {
    reason = e.what();
  } catch (...) {
  }
  if (!filled) {
    if (!error) return false;
    if (error->empty()) {
      *error = "could not write " + target->string();
      if (!reason.empty()) *error += ": " + reason;
    }
    // The user knows the file by its own name, not the temporary's.
    ReplaceAll(*error, temporary.Path().string(), target->string());
    return false;
  }
  temporary.TakeMetadataOf(*target);  // when it exists
  return temporary.Commit(error);
}

bool CopyFileContents(const fs::path& source, const fs::path& destination, std::string* error) {
  std::ifstream in(SystemPath(source), std::ios::binary);
  if (!in) return Fail(error, "could not read " + source.string());
#ifndef _WIN32
  const int fd = ::open(destination.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0)
    return Fail(error, "could not write " + destination.string() + ": " + SystemReason(errno));
  char buffer[1 << 16];
  int failure = 0;
  while (failure == 0 && in) {
    in.read(buffer, sizeof buffer);
    const char* p = buffer;
    for (size_t left = static_cast<size_t>(in.gcount()); left > 0 && failure == 0;) {
      const ssize_t n = ::write(fd, p, left);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) failure = n < 0 ? errno : ENOSPC;
      else p += n, left -= static_cast<size_t>(n);
    }
  }
  if (failure == 0 && ::fsync(fd) != 0) failure = errno;
  if (::close(fd) != 0 && failure == 0) failure = errno;
  if (failure != 0)
    return Fail(error, "could not write " + destination.string() + ": " + SystemReason(failure));
  if (in.bad()) return Fail(error, "could not read " + source.string());
  return true;
#else
  std::ofstream out(SystemPath(destination), std::ios::binary | std::ios::trunc);
  out << in.rdbuf();
  out.close();
  return static_cast<bool>(out) || Fail(error, "could not write " + destination.string());
#endif
}

bool WriteFileAtomically(const fs::path& target, std::string_view bytes, std::string* error) {
  return ReplaceFileAtomically(
      target,
      [&](const fs::path& temporary) {
#ifndef _WIN32
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0) return Fail(error, "could not write " + temporary.string() + ": " +
                                           SystemReason(errno));
        size_t done = 0;
        while (done < bytes.size()) {
          const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
          if (n < 0 && errno == EINTR) continue;
          if (n <= 0) {
            const int reason = n < 0 ? errno : ENOSPC;
            ::close(fd);
            return Fail(error, "could not write " + temporary.string() + ": " +
                                   SystemReason(reason));
          }
          done += static_cast<size_t>(n);
        }
        // Full disks and quotas often report only when the data is flushed.
        const int synced = ::fsync(fd) == 0 ? 0 : errno;
        const int closed = ::close(fd) == 0 ? 0 : errno;
        if (synced || closed)
          return Fail(error, "could not write " + temporary.string() + ": " +
                                 SystemReason(synced ? synced : closed));
        return true;
#else
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.close();
        return static_cast<bool>(out);
#endif
      },
      error);
}

}  // namespace tidewell
