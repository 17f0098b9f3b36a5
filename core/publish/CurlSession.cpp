#include "publish/CurlSession.h"

#include <cctype>
#include <cstdio>
#include <mutex>

namespace tidewell::publish {

namespace {

struct Transfer {
  const CurlRequest* request;
  CurlResult* result;
  std::FILE* upload = nullptr;
  std::size_t bodyOffset = 0;
};

std::size_t Receive(char* data, std::size_t size, std::size_t count, void* context) {
  auto& transfer = *static_cast<Transfer*>(context);
  const std::size_t bytes = size * count;
  if (transfer.request->sink) return transfer.request->sink(data, bytes) ? bytes : 0;
  std::string& body = transfer.result->body;
  if (body.size() + bytes > transfer.request->keepAtMost) {
    transfer.result->tooLarge = true;
    return 0;
  }
  body.append(data, bytes);
  return bytes;
}

// Keeps the header fields of the last answer: a redirect's are dropped
// when the next status line comes.
std::size_t ReceiveHeader(char* data, std::size_t size, std::size_t count, void* context) {
  auto& headers = static_cast<Transfer*>(context)->result->headers;
  const std::string line(data, size * count);
  if (line.rfind("HTTP/", 0) == 0) {
    headers.clear();
  } else if (const std::size_t colon = line.find(':'); colon != std::string::npos) {
    std::string name = line.substr(0, colon);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::size_t start = line.find_first_not_of(" \t", colon + 1);
    const std::size_t end = line.find_last_not_of(" \t\r\n");
    headers[name] = start == std::string::npos || end < start ? "" : line.substr(start, end - start + 1);
  }
  return size * count;
}

std::size_t Send(char* buffer, std::size_t size, std::size_t count, void* context) {
  auto& transfer = *static_cast<Transfer*>(context);
  const std::size_t room = size * count;
  if (transfer.upload) {
    const std::size_t got = std::fread(buffer, 1, room, transfer.upload);
    if (got < room && std::ferror(transfer.upload)) return CURL_READFUNC_ABORT;
    return got;
  }
  const std::string& body = transfer.request->body;
  const std::size_t take = std::min(room, body.size() - transfer.bodyOffset);
  body.copy(buffer, take, transfer.bodyOffset);
  transfer.bodyOffset += take;
  return take;
}

int Progress(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t sent) {
  auto& transfer = *static_cast<Transfer*>(context);
  const TransferProgress& progress = transfer.request->progress;
  if (progress && sent > 0 && !progress(static_cast<std::uint64_t>(sent))) return 1;
  return 0;
}

void InitialiseOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool IsHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
  if (c <= '9') return c - '0';
  return (c | 0x20) - 'a' + 10;
}

}  // namespace

std::string CurlResult::Describe() const {
  if (code != CURLE_OK) return detail.empty() ? curl_easy_strerror(code) : detail;
  if (status >= 400) return "the server answered " + std::to_string(status);
  return "no failure";
}

CurlSession::CurlSession() {
  InitialiseOnce();
  handle_ = curl_easy_init();
}

CurlSession::~CurlSession() { curl_easy_cleanup(handle_); }

CurlResult CurlSession::Perform(const CurlRequest& request, const Configure& configure) {
  CurlResult result;
  if (!handle_) {
    result.code = CURLE_FAILED_INIT;
    return result;
  }
  // Reset keeps the connections open for the next request.
  curl_easy_reset(handle_);
  Transfer transfer{&request, &result};
  char detail[CURL_ERROR_SIZE] = "";
  CURL* h = handle_;
  curl_easy_setopt(h, CURLOPT_URL, request.url.c_str());
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, detail);
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 30L);
  // A transfer that moves nothing for a minute has stalled.
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, 60L);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, Receive);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, ReceiveHeader);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, Progress);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);

  curl_slist* headers = nullptr;
  for (const std::string& header : request.headers) headers = curl_slist_append(headers, header.c_str());
  if (headers) curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
  curl_slist* quote = nullptr;
  for (const std::string& command : request.quote) quote = curl_slist_append(quote, command.c_str());
  if (quote) curl_easy_setopt(h, CURLOPT_POSTQUOTE, quote);

  if (request.upload) {
    transfer.upload = std::fopen(request.upload->c_str(), "rb");
    if (!transfer.upload) {
      result.code = CURLE_READ_ERROR;
      result.detail = "cannot read " + request.upload->string();
      curl_slist_free_all(headers);
      curl_slist_free_all(quote);
      return result;
    }
    std::error_code ec;
    const auto size = std::filesystem::file_size(*request.upload, ec);
    curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(ec ? 0 : size));
    curl_easy_setopt(h, CURLOPT_READFUNCTION, Send);
    curl_easy_setopt(h, CURLOPT_READDATA, &transfer);
  } else if (!request.body.empty()) {
    curl_easy_setopt(h, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(h, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    curl_easy_setopt(h, CURLOPT_READFUNCTION, Send);
    curl_easy_setopt(h, CURLOPT_READDATA, &transfer);
  }
  if (!request.method.empty()) curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, request.method.c_str());
  if (request.noBody) curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
  if (configure) configure(h);

  result.code = curl_easy_perform(h);
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &result.status);
  curl_off_t length = -1;
  curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
  result.length = length;
  char* type = nullptr;
  curl_easy_getinfo(h, CURLINFO_CONTENT_TYPE, &type);
  if (type) result.contentType = type;
  if (result.code != CURLE_OK) result.detail = *detail ? detail : curl_easy_strerror(result.code);
  if (transfer.upload) std::fclose(transfer.upload);
  curl_slist_free_all(headers);
  curl_slist_free_all(quote);
  // The lists and the error buffer die here: nothing may point at them.
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, nullptr);
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, nullptr);
  curl_easy_setopt(h, CURLOPT_POSTQUOTE, nullptr);
  return result;
}

std::string EncodeSegment(const std::string& segment) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : segment) {
    const auto c = static_cast<unsigned char>(ch);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '.' || c == '_' || c == '~') {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string EncodePath(const std::string& path) {
  std::string out;
  std::size_t start = 0;
  while (true) {
    const std::size_t slash = path.find('/', start);
    out += EncodeSegment(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
    if (slash == std::string::npos) return out;
    out += '/';
    start = slash + 1;
  }
}

bool DecodePercent(const std::string& text, std::string& decoded) {
  decoded.clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    if (i + 2 >= text.size() || !IsHex(text[i + 1]) || !IsHex(text[i + 2])) return false;
    decoded += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
    i += 2;
  }
  return true;
}

}  // namespace tidewell::publish
