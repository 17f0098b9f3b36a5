#pragma once

#include <map>
#include <optional>
#include <string>

#include "Platform.h"
#include "WindowsWorkers.h"

namespace tidewatch {

// HTTP and HTTPS through WinHTTP: the user's proxy settings, the system's
// certificate checks, at most five redirects, connect and receive time-outs,
// ranges for resuming. An automatic proxy is resolved once per server.
// Transfers may run on several threads at once: they share the session.
class WindowsHttp : public engine::Http {
 public:
  WindowsHttp();
  ~WindowsHttp() override;
  WindowsHttp(const WindowsHttp&) = delete;
  WindowsHttp& operator=(const WindowsHttp&) = delete;

  bool Get(const std::string& url, std::uint64_t offset, engine::HttpSink& sink, engine::Failure& failure) override;

 private:
  struct ResolvedProxy {
    bool named = false;
    std::wstring proxy, bypass;
  };
  std::optional<ResolvedProxy> ProxyFor(const std::wstring& url, int scheme, const std::wstring& host, int port);

  void* session_ = nullptr;
  WindowsLock proxyLock_;  // over the two below
  bool autoProxyFailed_ = false;
  std::map<std::wstring, ResolvedProxy> proxies_;
  bool autoProxy_ = false;
  std::wstring autoConfigUrl_;
};

}  // namespace tidewatch
