#include "platform/AtomicFile.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tidewell {

namespace fs = std::filesystem;

fs::path TemporaryPathBeside(const fs::path& target) {
  static std::atomic<unsigned> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  fs::path tmp = target;
  tmp += ".tmp-" + std::to_string(stamp) + "-" + std::to_string(counter++);
  return tmp;
}

bool CommitTemporary(const fs::path& temporary, const fs::path& target, std::string* error) {
  std::error_code ec;
  fs::rename(temporary, target, ec);
  if (ec) {
    if (error) *error = "could not replace " + target.string() + ": " + ec.message();
    fs::remove(temporary, ec);
    return false;
  }
  return true;
}

bool WriteFileAtomically(const fs::path& target, std::string_view bytes, std::string* error) {
  return ReplaceFileAtomically(
      target,
      [&](const fs::path& temporary) {
#ifndef _WIN32
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
          if (error) *error = "could not create " + temporary.string();
          return false;
        }
        size_t done = 0;
        while (done < bytes.size()) {
          const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
          if (n <= 0) {
            ::close(fd);
            if (error) *error = "could not write " + temporary.string();
            return false;
          }
          done += static_cast<size_t>(n);
        }
        const bool synced = ::fsync(fd) == 0;
        const bool closed = ::close(fd) == 0;
        if (!synced || !closed) {
          if (error) *error = "could not write " + temporary.string();
          return false;
        }
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
