#pragma once

#include <set>
#include <string>

#include "publish/CurlTarget.h"
#include "publish/TargetOptions.h"

namespace tidewell::publish {

// A folder on a WebDAV server over http:// or https://: PROPFIND tells what
// is there, PUT writes, MKCOL makes folders, MOVE with "Overwrite: T" puts a
// file in place in one step, DELETE removes. A user in the address
// (https://user@host/...) is asked for a password when the server wants one;
// ~/.netrc is read as well.
class WebDavTarget final : public CurlTarget {
 public:
  WebDavTarget(std::string base, TargetOptions options);

  std::string Describe() const override;
  bool Stat(const std::string& path, std::optional<std::uint64_t>& size,
            std::string& error) override;
  bool Rename(const std::string& from, const std::string& to, std::string& error) override;
  bool Remove(const std::string& path, std::string& error) override;

 private:
  CurlResult Run(const CurlRequest& request) override;
  std::string Url(const std::string& path) const override;
  bool IsMissing(const CurlResult& result) const override;
  bool MakeFolder(const std::string& folder, std::string& error) override;
  bool MakeCollection(const std::string& url, const std::string& name, std::string& error);
  bool Failed(const CurlResult& result, const std::string& what,
              std::string& error) const override;

  std::string base_;
  TargetOptions options_;
  std::optional<std::string> password_;
  std::set<std::string> madeFolders_;
  CurlSession session_;
};

}  // namespace tidewell::publish
