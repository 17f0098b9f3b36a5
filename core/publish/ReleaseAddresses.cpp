#include "publish/ReleaseAddresses.h"

#include <algorithm>

#include "publish/CurlSession.h"

namespace tidewell::publish {

namespace {

struct Url {
  std::string origin;  // scheme and authority, lower case
  std::string path;    // from the first '/', without query or fragment
  bool query = false;
};

bool SplitUrl(const std::string& text, const char* what, Url& url, std::string& error) {
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const std::size_t scheme = lower.rfind("http://", 0) == 0 ? 7 : lower.rfind("https://", 0) == 0 ? 8 : 0;
  if (text.empty()) {
    error = std::string("the ") + what + " is empty: set it on the Client page";
    return false;
  }
  if (scheme == 0) {
    error = std::string("the ") + what + " " + text + " is not an http:// or https:// address";
    return false;
  }
  const std::size_t end = text.find_first_of("?#");
  const std::string beforeQuery = text.substr(0, end);
  std::string decoded;
  if (!DecodePercent(beforeQuery, decoded)) {
    error = std::string("the ") + what + " " + text +
            " holds a variable reference, which only a client fills in";
    return false;
  }
  const std::size_t slash = beforeQuery.find('/', scheme);
  url.origin = lower.substr(0, slash == std::string::npos ? end : slash);
  url.path = slash == std::string::npos ? "/" : beforeQuery.substr(slash);
  url.query = end != std::string::npos;
  return true;
}

std::string TrimSlashes(std::string text) {
  while (!text.empty() && text.back() == '/') text.pop_back();
  return text;
}

}  // namespace

bool ReadReleaseAddresses(const std::string& serverFileUrl, const std::string& filesUrl,
                          ReleaseAddresses& addresses, std::string& error) {
  Url server, files;
  if (!SplitUrl(serverFileUrl, "address of the update XML file", server, error) ||
      !SplitUrl(filesUrl, "address of the update files", files, error))
    return false;
  addresses = {};
  addresses.serverFileUrl = serverFileUrl;
  addresses.filesUrl = TrimSlashes(filesUrl);
  addresses.hasQuery = server.query;
  const std::size_t lastSlash = server.path.rfind('/');
  DecodePercent(server.path.substr(lastSlash + 1), addresses.serverFileName);
  const std::string folder = server.path.substr(0, lastSlash);  // "" at the root

  const std::string filesPath = TrimSlashes(files.path);
  if (files.origin != server.origin) {
    addresses.whyElsewhere = "the update files are at " + files.origin +
                             ", another server than the update XML file's " + server.origin;
  } else if (filesPath == folder) {
    addresses.filesPrefix = "";
  } else if (filesPath.rfind(folder + "/", 0) == 0) {
    std::string prefix;
    DecodePercent(filesPath.substr(folder.size() + 1), prefix);
    addresses.filesPrefix = prefix;
  } else {
    addresses.whyElsewhere = "the update files' folder " + (filesPath.empty() ? "/" : filesPath) +
                             " is not below the update XML file's folder " +
                             (folder.empty() ? "/" : folder);
  }
  return true;
}

std::string FileUrl(const std::string& filesUrl, const std::string& serverPath) {
  return filesUrl + "/" + EncodePath(serverPath);
}

std::string SignatureUrl(const std::string& serverFileUrl) { return BesideUrl(serverFileUrl, ".sig"); }

std::string PatchListUrl(const std::string& serverFileUrl) {
  return BesideUrl(serverFileUrl, ".patches");
}

std::string BesideUrl(const std::string& serverFileUrl, std::string_view suffix) {
  std::size_t end = serverFileUrl.find_first_of("?#");
  if (end == std::string::npos) end = serverFileUrl.size();
  return serverFileUrl.substr(0, end) + std::string(suffix) + serverFileUrl.substr(end);
}

}  // namespace tidewell::publish
