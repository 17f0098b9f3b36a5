#pragma once

#include <string>

#include "publish/CurlTarget.h"
#include "publish/TargetOptions.h"

namespace tidewell::publish {

// Credentials of an S3 account.
struct S3Credentials {
  std::string accessKey;
  std::string secretKey;
  std::string sessionToken;
};

// AWS_ACCESS_KEY_ID and AWS_SECRET_ACCESS_KEY (with AWS_SESSION_TOKEN),
// else the profile AWS_PROFILE (or "default") of the shared credentials
// file. False with the reason when neither has them.
bool FindS3Credentials(const std::filesystem::path& credentialsFile, S3Credentials& credentials,
                       std::string& error);

// A prefix in an S3 bucket, addressed by path (endpoint/bucket/key) and
// signed with libcurl's AWS signature version 4. An object appears whole
// when its upload ends; a file is put in place by a copy on the server
// from its temporary key, then the temporary key is removed.
class S3Target final : public CurlTarget {
 public:
  S3Target(std::string bucket, std::string prefix, std::string endpoint, std::string region,
           S3Credentials credentials);

  std::string Describe() const override;
  bool Stat(const std::string& path, std::optional<std::uint64_t>& size,
            std::string& error) override;
  bool Rename(const std::string& from, const std::string& to, std::string& error) override;
  bool Remove(const std::string& path, std::string& error) override;

 private:
  CurlResult Run(const CurlRequest& request) override;
  std::string Key(const std::string& path) const;
  std::string Url(const std::string& path) const override;
  bool IsMissing(const CurlResult& result) const override;
  bool Failed(const CurlResult& result, const std::string& what,
              std::string& error) const override;

  std::string bucket_, prefix_, endpoint_, region_;
  S3Credentials credentials_;
  CurlSession session_;
};

}  // namespace tidewell::publish
