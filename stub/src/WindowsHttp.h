#pragma once

#include "Platform.h"

namespace tidewatch {

// HTTP and HTTPS through WinHTTP: the user's proxy settings, the system's
// certificate checks, at most five redirects, connect and receive time-outs,
// ranges for resuming.
class WindowsHttp : public engine::Http {
 public:
  WindowsHttp();
  ~WindowsHttp() override;
  WindowsHttp(const WindowsHttp&) = delete;
  WindowsHttp& operator=(const WindowsHttp&) = delete;

  bool Get(const std::string& url, std::uint64_t offset, engine::HttpSink& sink, engine::Failure& failure) override;

 private:
  void* session_ = nullptr;
  bool autoProxy_ = false;
  std::wstring autoConfigUrl_;
};

}  // namespace tidewatch
