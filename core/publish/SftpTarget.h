#pragma once

#include <optional>
#include <string>

#include "publish/CurlTarget.h"
#include "publish/TargetOptions.h"

namespace tidewell::publish {

// A folder on an SSH server, through libcurl's SFTP (libssh2). The host key
// must be in the known hosts or accepted by the publisher; the login uses
// the SSH agent or the identity file, and a password only when one is asked
// for. SFTP's rename does not replace an existing file, so a file is put in
// place by moving the old one aside, renaming the new one in and removing
// the old: the name is missing for one round trip, never half written.
class SftpTarget final : public CurlTarget {
 public:
  // `base`: sftp://[user@]host[:port]/path, without a trailing '/'.
  SftpTarget(std::string base, std::string remoteRoot, TargetOptions options);

  std::string Describe() const override { return base_; }
  bool Stat(const std::string& path, std::optional<std::uint64_t>& size,
            std::string& error) override;
  bool Rename(const std::string& from, const std::string& to, std::string& error) override;
  bool Remove(const std::string& path, std::string& error) override;

  // Called by libcurl's host key check.
  int CheckHostKey(int match, const std::string& keyType, const std::string& keyBase64);

 private:
  CurlResult Run(const CurlRequest& request) override;
  std::string Url(const std::string& path) const override;
  bool IsMissing(const CurlResult& result) const override;
  // The path as SFTP commands name it.
  std::string Quoted(const std::string& path) const;
  bool Failed(const CurlResult& result, const std::string& what,
              std::string& error) const override;

  std::string base_;
  std::string remoteRoot_;  // the root as the server names it ("/srv/www", "" for the login folder)
  TargetOptions options_;
  std::optional<std::string> password_;
  std::string hostKeyProblem_;
  CurlSession session_;
};

}  // namespace tidewell::publish
