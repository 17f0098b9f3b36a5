#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "publish/PublishTarget.h"

namespace tidewell::publish {

// What a target needs beyond its address.
struct TargetOptions {
  std::filesystem::path identity;    // SFTP: the private key file; empty: the SSH agent
  std::filesystem::path knownHosts;  // SFTP: empty: ~/.ssh/known_hosts
  std::string endpoint;              // S3: the service's address; empty: AWS's
  std::filesystem::path awsCredentials;  // S3: empty: ~/.aws/credentials
  // SFTP: asked whether to trust a host whose key is not known yet (the
  // question names the host and the key's fingerprint). Accepted keys are
  // added to the known hosts. Without it, such a host is refused.
  std::function<bool(const std::string& question)> acceptHostKey;
  // Asked for a password when the server refused every key; without it, or
  // when it answers nullopt, the login fails.
  std::function<std::optional<std::string>(const std::string& question)> askPassword;
};

// A target from what the publisher typed: a folder, sftp://[user@]host[:port]/path,
// http(s):// (WebDAV) or s3://bucket/prefix.
std::unique_ptr<PublishTarget> OpenTarget(const std::string& address, const TargetOptions& options,
                                          std::string& error);

// The user's home folder, or empty.
std::filesystem::path HomeFolder();

}  // namespace tidewell::publish
