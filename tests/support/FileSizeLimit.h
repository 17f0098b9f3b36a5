#pragma once

#ifndef _WIN32

#include <signal.h>
#include <sys/resource.h>

namespace tidewell::testing {

// While it lives, files written by this process and the processes it starts
// cannot grow past `bytes`: writes beyond fail with "File too large", as they
// would on a full disk, instead of raising the signal that ends the process.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, previous_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit saved_{};
  sighandler_t previous_{};
};

}  // namespace tidewell::testing

#endif  // _WIN32
