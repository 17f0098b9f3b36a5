#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <curl/curl.h>

#include "publish/PublishTarget.h"

namespace tidewell::publish {

// One request through libcurl.
struct CurlRequest {
  std::string url;
  std::string method;                   // empty: GET, or PUT with an upload
  std::vector<std::string> headers;     // "Name: value"
  std::vector<std::string> quote;       // SFTP commands run after the transfer
  const std::filesystem::path* upload = nullptr;  // the body, read from this file
  std::string body;                     // a small body sent as it is
  bool noBody = false;                  // only the answer's head (HEAD, an SFTP stat)
  std::size_t keepAtMost = 64u << 20;   // bytes of the answer kept
  TransferProgress progress;
  // Streams the answer's body instead of keeping it; false stops the transfer.
  std::function<bool(const char* data, std::size_t size)> sink;
};

struct CurlResult {
  CURLcode code = CURLE_OK;
  long status = 0;  // the HTTP status, 0 for other protocols
  std::string body;
  std::string contentType;
  bool tooLarge = false;  // the answer passed keepAtMost
  std::int64_t length = -1;  // the announced length of the content
  std::string detail;        // libcurl's own words on a failure
  // The last answer's header fields, names in lower case ("age" -> "120").
  std::map<std::string, std::string> headers;
  bool Ok() const { return code == CURLE_OK; }
  bool Cancelled() const { return code == CURLE_ABORTED_BY_CALLBACK; }
  // What went wrong, for a message: libcurl's reason or the HTTP status.
  std::string Describe() const;
};

// A libcurl handle kept for a run of requests, so that one connection (and
// one SSH login) serves them all.
class CurlSession {
 public:
  using Configure = std::function<void(CURL*)>;

  CurlSession();
  ~CurlSession();
  CurlSession(const CurlSession&) = delete;
  CurlSession& operator=(const CurlSession&) = delete;

  // Runs a request; `configure` adds the protocol's own options.
  CurlResult Perform(const CurlRequest& request, const Configure& configure = {});

 private:
  CURL* handle_;
};

// Percent-encodes one path segment as clients do: letters, digits and
// "-._~" stay, every other byte becomes %XX.
std::string EncodeSegment(const std::string& segment);
// A '/'-separated path with each segment encoded.
std::string EncodePath(const std::string& path);
// Undoes percent-encoding; false for a '%' not followed by two hex digits.
bool DecodePercent(const std::string& text, std::string& decoded);

}  // namespace tidewell::publish
