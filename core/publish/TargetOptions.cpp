#include "publish/TargetOptions.h"

#include <cstdlib>

#include <pwd.h>
#include <unistd.h>

#include "publish/CurlSession.h"
#include "publish/FolderTarget.h"
#include "publish/S3Target.h"
#include "publish/SftpTarget.h"
#include "publish/WebDavTarget.h"

namespace tidewell::publish {

namespace fs = std::filesystem;

namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

std::string WithoutTrailingSlashes(std::string text) {
  while (!text.empty() && text.back() == '/') text.pop_back();
  return text;
}

std::unique_ptr<PublishTarget> OpenSftp(const std::string& address, const TargetOptions& options,
                                        std::string& error) {
  const std::size_t pathStart = address.find('/', 7);
  if (address.size() <= 7 || pathStart == 7) {
    error = address + ": an SFTP target is sftp://[user@]host[:port]/path";
    return nullptr;
  }
  const std::string base = WithoutTrailingSlashes(address);
  std::string root;
  if (pathStart != std::string::npos && !DecodePercent(base.substr(pathStart), root)) {
    error = address + ": the path has a '%' that starts no %XX code";
    return nullptr;
  }
  // "/~/folder" names a folder below the login folder, as curl reads it.
  if (StartsWith(root, "/~/")) root = root.substr(3);
  else if (root == "/~") root.clear();
  return std::make_unique<SftpTarget>(base, root, options);
}

std::unique_ptr<PublishTarget> OpenS3(const std::string& address, const TargetOptions& options,
                                      std::string& error) {
  const std::string rest = WithoutTrailingSlashes(address.substr(5));
  const std::size_t slash = rest.find('/');
  const std::string bucket = rest.substr(0, slash);
  if (bucket.empty()) {
    error = address + ": an S3 target is s3://bucket/prefix";
    return nullptr;
  }
  std::string region;
  for (const char* name : {"AWS_REGION", "AWS_DEFAULT_REGION"})
    if (const char* value = std::getenv(name); value && *value && region.empty()) region = value;
  if (region.empty()) region = "us-east-1";
  S3Credentials credentials;
  if (!FindS3Credentials(options.awsCredentials, credentials, error)) return nullptr;
  const std::string endpoint =
      options.endpoint.empty() ? "https://s3." + region + ".amazonaws.com" : options.endpoint;
  return std::make_unique<S3Target>(bucket, slash == std::string::npos ? "" : rest.substr(slash + 1),
                                    endpoint, region, credentials);
}

}  // namespace

fs::path HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* entry = ::getpwuid(::getuid())) return entry->pw_dir;
  return {};
}

std::unique_ptr<PublishTarget> OpenTarget(const std::string& address, const TargetOptions& options,
                                          std::string& error) {
  if (StartsWith(address, "sftp://")) return OpenSftp(address, options, error);
  if (StartsWith(address, "http://") || StartsWith(address, "https://"))
    return std::make_unique<WebDavTarget>(WithoutTrailingSlashes(address), options);
  if (StartsWith(address, "s3://")) return OpenS3(address, options, error);
  if (address.find("://") != std::string::npos) {
    error = address + ": a target is a folder, or an sftp://, http://, https:// or s3:// address";
    return nullptr;
  }
  if (address.empty()) {
    error = "no target was given";
    return nullptr;
  }
  return std::make_unique<FolderTarget>(fs::path(address));
}

}  // namespace tidewell::publish
