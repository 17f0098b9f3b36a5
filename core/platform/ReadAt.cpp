#include "platform/ReadAt.h"

#ifndef _WIN32

#include <unistd.h>

#include <cerrno>

namespace tidewell {

ssize_t ReadAt(int descriptor, void* into, size_t count, uint64_t offset) {
  auto* bytes = static_cast<char*>(into);
  size_t done = 0;
  while (done < count) {
    const ssize_t n =
        ::pread(descriptor, bytes + done, count - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<ssize_t>(done);
}

}  // namespace tidewell

#endif
