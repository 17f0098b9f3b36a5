#include "publish/WebDavTarget.h"

#include <charconv>
#include <cstring>

#include <pugixml.hpp>

namespace tidewell::publish {

namespace fs = std::filesystem;

namespace {

constexpr const char* kPropfindBody =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<propfind xmlns=\"DAV:\"><prop><getcontentlength/><resourcetype/></prop></propfind>\n";

// The element's name without its namespace prefix.
bool LocalNameIs(const pugi::xml_node& node, const char* name) {
  const char* full = node.name();
  const char* colon = std::strrchr(full, ':');
  return std::strcmp(colon ? colon + 1 : full, name) == 0;
}

pugi::xml_node FindLocal(const pugi::xml_node& from, const char* name) {
  return from.find_node([name](const pugi::xml_node& node) { return LocalNameIs(node, name); });
}

}  // namespace

WebDavTarget::WebDavTarget(std::string base, TargetOptions options)
    : base_(std::move(base)), options_(std::move(options)) {}

std::string WebDavTarget::Describe() const {
  // Never a password typed into the address.
  const std::size_t at = base_.find('@'), scheme = base_.find("://");
  const std::size_t colon = base_.find(':', scheme + 3);
  if (at != std::string::npos && colon < at) return base_.substr(0, colon) + base_.substr(at);
  return base_;
}

CurlResult WebDavTarget::Run(const CurlRequest& request) {
  auto attempt = [&] {
    return session_.Perform(request, [&](CURL* h) {
      curl_easy_setopt(h, CURLOPT_NETRC, static_cast<long>(CURL_NETRC_OPTIONAL));
      curl_easy_setopt(h, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
      if (password_) curl_easy_setopt(h, CURLOPT_PASSWORD, password_->c_str());
    });
  };
  CurlResult result = attempt();
  if (result.Ok() && result.status == 401 && !password_ && options_.askPassword) {
    password_ = options_.askPassword("Password for " + Describe() + ": ");
    if (password_) result = attempt();
  }
  return result;
}

std::string WebDavTarget::Url(const std::string& path) const {
  return path.empty() ? base_ + "/" : base_ + "/" + EncodePath(path);
}

bool WebDavTarget::Failed(const CurlResult& result, const std::string& what,
                          std::string& error) const {
  if (result.Ok() && result.status < 400) return false;
  error = "cannot " + what + " on " + Describe() + ": " +
          (result.status == 507 ? "the server has no room left (507)" : result.Describe());
  return true;
}

bool WebDavTarget::Stat(const std::string& path, std::optional<std::uint64_t>& size,
                        std::string& error) {
  CurlRequest request;
  request.url = Url(path);
  request.method = "PROPFIND";
  request.headers = {"Depth: 0", "Content-Type: application/xml; charset=utf-8"};
  request.body = kPropfindBody;
  const CurlResult result = Run(request);
  size.reset();
  if (IsMissing(result)) return true;
  if (Failed(result, "look at " + path, error)) return false;
  pugi::xml_document answer;
  if (result.status != 207 || !answer.load_buffer(result.body.data(), result.body.size())) {
    error = "cannot look at " + path + " on " + Describe() + ": the server's answer is no WebDAV listing";
    return false;
  }
  if (FindLocal(FindLocal(answer, "resourcetype"), "collection")) {
    error = path + " on " + Describe() + " is a folder";
    return false;
  }
  const std::string length = FindLocal(answer, "getcontentlength").text().as_string();
  std::uint64_t value = 0;
  const auto [end, ec] = std::from_chars(length.data(), length.data() + length.size(), value);
  if (ec != std::errc() || end != length.data() + length.size()) {
    error = "cannot look at " + path + " on " + Describe() + ": the server gave no size";
    return false;
  }
  size = value;
  return true;
}

bool WebDavTarget::MakeCollection(const std::string& url, const std::string& name,
                                  std::string& error) {
  CurlRequest request;
  request.url = url + "/";
  request.method = "MKCOL";
  const CurlResult result = Run(request);
  // 405: the folder is there already.
  return (result.Ok() && result.status == 405) || !Failed(result, "make the folder " + name, error);
}

bool WebDavTarget::MakeFolder(const std::string& folder, std::string& error) {
  if (madeFolders_.count(folder)) return true;
  if (folder.empty()) {
    // The target's own folder and those above it, from the top.
    const std::size_t root = base_.find('/', base_.find("://") + 3);
    for (std::size_t slash = root; slash != std::string::npos;) {
      slash = base_.find('/', slash + 1);
      const std::string url = base_.substr(0, slash);
      if (!MakeCollection(url, url.substr(root), error)) return false;
    }
  } else if (!MakeFolder(ParentOf(folder), error) || !MakeCollection(Url(folder), folder, error)) {
    return false;
  }
  madeFolders_.insert(folder);
  return true;
}

bool WebDavTarget::Rename(const std::string& from, const std::string& to, std::string& error) {
  CurlRequest request;
  request.url = Url(from);
  request.method = "MOVE";
  // The destination without credentials: servers compare it with their own
  // address.
  std::string destination = Url(to);
  const std::size_t at = destination.find('@'), scheme = destination.find("://");
  if (at != std::string::npos && at < destination.find('/', scheme + 3))
    destination = destination.substr(0, scheme + 3) + destination.substr(at + 1);
  request.headers = {"Destination: " + destination, "Overwrite: T"};
  return !Failed(Run(request), "put " + to + " in place", error);
}

bool WebDavTarget::Remove(const std::string& path, std::string& error) {
  return RemoveByDelete(path, error);
}

bool WebDavTarget::IsMissing(const CurlResult& result) const {
  return result.Ok() && result.status == 404;
}

}  // namespace tidewell::publish
