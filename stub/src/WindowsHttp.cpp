#include "WindowsHttp.h"

#include <windows.h>
#include <winhttp.h>

#include <mutex>
#include <vector>

#include "Download.h"
#include "Text.h"
#include "WideText.h"

namespace tidewatch {

namespace {

using engine::Failure;

constexpr DWORD kResolveTimeoutMs = 30'000;
constexpr DWORD kConnectTimeoutMs = 30'000;
constexpr DWORD kSendTimeoutMs = 30'000;
constexpr DWORD kReceiveTimeoutMs = 60'000;
constexpr DWORD kMaxRedirects = 5;
constexpr DWORD kBufferSize = 64 * 1024;

std::string Reason(DWORD code) {
  switch (code) {
    case ERROR_WINHTTP_TIMEOUT: return "the server did not answer in time";
    case ERROR_WINHTTP_NAME_NOT_RESOLVED: return "the server's name could not be resolved";
    case ERROR_WINHTTP_CANNOT_CONNECT: return "could not connect to the server";
    case ERROR_WINHTTP_CONNECTION_ERROR: return "the connection was dropped";
    case ERROR_WINHTTP_REDIRECT_FAILED: return "too many redirects or a redirect that is not allowed";
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_REV_FAILED:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED: return "the server's certificate was refused";
    case ERROR_WINHTTP_UNRECOGNIZED_SCHEME:
    case ERROR_WINHTTP_INVALID_URL: return "the address is not a valid HTTP or HTTPS address";
    default: return "the transfer failed";
  }
}

Failure Fail(DWORD code = GetLastError()) { return {Reason(code), code}; }

class Handle {
 public:
  explicit Handle(HINTERNET h = nullptr) : h_(h) {}
  ~Handle() {
    if (h_) WinHttpCloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HINTERNET get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HINTERNET h_;
};

std::wstring Part(const wchar_t* text, DWORD length) { return text ? std::wstring(text, length) : std::wstring(); }

}  // namespace

WindowsHttp::WindowsHttp() {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG user{};
  DWORD access = WINHTTP_ACCESS_TYPE_NO_PROXY;
  std::wstring proxy, bypass;
  if (WinHttpGetIEProxyConfigForCurrentUser(&user)) {
    if (user.lpszProxy && *user.lpszProxy) {
      access = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
      proxy = user.lpszProxy;
      if (user.lpszProxyBypass) bypass = user.lpszProxyBypass;
    }
    autoProxy_ = user.fAutoDetect;
    if (user.lpszAutoConfigUrl) autoConfigUrl_ = user.lpszAutoConfigUrl;
    for (LPWSTR s : {user.lpszProxy, user.lpszProxyBypass, user.lpszAutoConfigUrl})
      if (s) GlobalFree(s);
  }
  session_ = WinHttpOpen(L"Tidewatch/1.0", access, proxy.empty() ? WINHTTP_NO_PROXY_NAME : proxy.c_str(),
                         bypass.empty() ? WINHTTP_NO_PROXY_BYPASS : bypass.c_str(), 0);
  if (session_) {
    WinHttpSetTimeouts(session_, kResolveTimeoutMs, kConnectTimeoutMs, kSendTimeoutMs, kReceiveTimeoutMs);
    DWORD redirects = kMaxRedirects;
    WinHttpSetOption(session_, WINHTTP_OPTION_MAX_HTTP_AUTOMATIC_REDIRECTS, &redirects, sizeof redirects);
  }
}

// Automatic proxy detection and a configuration script cost a network round
// trip or more each time they run, and a failed detection costs its time-out;
// the answer is kept per scheme, host and port for the rest of the run, and a
// detection that found nothing is not tried again. Transfers that start
// together wait for the first one's answer rather than each asking.
std::optional<WindowsHttp::ResolvedProxy> WindowsHttp::ProxyFor(const std::wstring& url, int scheme,
                                                                const std::wstring& host, int port) {
  if (!autoProxy_ && autoConfigUrl_.empty()) return std::nullopt;
  std::lock_guard<WindowsLock> held(proxyLock_);
  if (autoProxyFailed_) return std::nullopt;
  const std::wstring key = std::to_wstring(scheme) + L"|" + host + L"|" + std::to_wstring(port);
  if (auto known = proxies_.find(key); known != proxies_.end()) return known->second;
  WINHTTP_AUTOPROXY_OPTIONS options{};
  options.dwFlags = autoConfigUrl_.empty() ? WINHTTP_AUTOPROXY_AUTO_DETECT : WINHTTP_AUTOPROXY_CONFIG_URL;
  options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
  options.lpszAutoConfigUrl = autoConfigUrl_.empty() ? nullptr : autoConfigUrl_.c_str();
  options.fAutoLogonIfChallenged = TRUE;
  WINHTTP_PROXY_INFO info{};
  if (!WinHttpGetProxyForUrl(static_cast<HINTERNET>(session_), url.c_str(), &options, &info)) {
    const DWORD code = GetLastError();
    if (code == ERROR_WINHTTP_AUTODETECTION_FAILED || code == ERROR_WINHTTP_UNABLE_TO_DOWNLOAD_SCRIPT ||
        code == ERROR_WINHTTP_BAD_AUTO_PROXY_SCRIPT)
      autoProxyFailed_ = true;
    return std::nullopt;
  }
  ResolvedProxy resolved;
  resolved.named = info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && info.lpszProxy && *info.lpszProxy;
  if (info.lpszProxy) resolved.proxy = info.lpszProxy;
  if (info.lpszProxyBypass) resolved.bypass = info.lpszProxyBypass;
  if (info.lpszProxy) GlobalFree(info.lpszProxy);
  if (info.lpszProxyBypass) GlobalFree(info.lpszProxyBypass);
  return proxies_.emplace(key, std::move(resolved)).first->second;
}

WindowsHttp::~WindowsHttp() {
  if (session_) WinHttpCloseHandle(session_);
}

bool WindowsHttp::Get(const std::string& url, std::uint64_t offset, engine::HttpSink& sink, Failure& failure) {
  if (!session_) {
    failure = Fail();
    return false;
  }
  const std::wstring wideUrl = ToWide(engine::FromUtf8(url));
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts) ||
      (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
    failure = Fail(ERROR_WINHTTP_INVALID_URL);
    return false;
  }
  const std::wstring host = Part(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path = Part(parts.lpszUrlPath, parts.dwUrlPathLength) + Part(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (path.empty()) path = L"/";

  Handle connection(WinHttpConnect(static_cast<HINTERNET>(session_), host.c_str(), parts.nPort, 0));
  if (!connection) {
    failure = Fail();
    return false;
  }
  const DWORD flags = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
  Handle request(WinHttpOpenRequest(connection.get(), L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                    WINHTTP_DEFAULT_ACCEPT_TYPES, flags));
  if (!request) {
    failure = Fail();
    return false;
  }
  if (const std::optional<ResolvedProxy> proxy = ProxyFor(wideUrl, parts.nScheme, host, parts.nPort); proxy && proxy->named) {
    WINHTTP_PROXY_INFO info{};
    info.dwAccessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
    info.lpszProxy = const_cast<LPWSTR>(proxy->proxy.c_str());
    info.lpszProxyBypass = proxy->bypass.empty() ? nullptr : const_cast<LPWSTR>(proxy->bypass.c_str());
    WinHttpSetOption(request.get(), WINHTTP_OPTION_PROXY, &info, sizeof info);
  }
  std::wstring headers;
  if (offset > 0) headers = L"Range: bytes=" + std::to_wstring(offset) + L"-\r\n";
  if (!WinHttpSendRequest(request.get(), headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers.c_str(),
                          headers.empty() ? 0 : static_cast<DWORD>(-1), WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !WinHttpReceiveResponse(request.get(), nullptr)) {
    failure = Fail();
    return false;
  }
  DWORD status = 0, size = sizeof status;
  if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
    failure = Fail();
    return false;
  }
  std::optional<std::uint64_t> length;
  wchar_t lengthText[32] = {};
  size = sizeof lengthText;
  if (WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_CONTENT_LENGTH, WINHTTP_HEADER_NAME_BY_INDEX, lengthText,
                          &size, WINHTTP_NO_HEADER_INDEX)) {
    std::uint64_t n = 0;
    bool digits = lengthText[0] != 0;
    for (const wchar_t* p = lengthText; *p; ++p) {
      if (*p < L'0' || *p > L'9') digits = false;
      else n = n * 10 + static_cast<std::uint64_t>(*p - L'0');
    }
    if (digits) length = n;
  }
  // A part of the file counts only when it starts where the request asked.
  bool partial = false;
  if (status == 206 && offset > 0) {
    wchar_t range[96] = {};
    size = sizeof range;
    if (WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_CONTENT_RANGE, WINHTTP_HEADER_NAME_BY_INDEX, range, &size,
                            WINHTTP_NO_HEADER_INDEX))
      partial = engine::RangeReplyMatches(engine::ToUtf8(FromWide(range)), offset, length);
  }
  if (!sink.Begin(static_cast<int>(status), partial, length)) {
    failure = {"the transfer was stopped", 0};
    return false;
  }
  std::vector<std::uint8_t> buffer(kBufferSize);
  std::uint64_t received = 0;
  while (true) {
    DWORD got = 0;
    if (!WinHttpReadData(request.get(), buffer.data(), kBufferSize, &got)) {
      failure = Fail();
      return false;
    }
    if (got == 0) break;
    received += got;
    if (!sink.Data(buffer.data(), got)) {
      failure = {"the transfer was stopped", 0};
      return false;
    }
  }
  if (length && received < *length) {
    failure = Fail(ERROR_WINHTTP_CONNECTION_ERROR);
    return false;
  }
  return true;
}

}  // namespace tidewatch
