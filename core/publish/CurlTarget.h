#pragma once

#include <string>

#include "publish/CurlSession.h"

namespace tidewell::publish {

// What the targets reached through libcurl share: reading a file, sending
// one, a size from a request for the head only, a removal by DELETE. Each
// protocol says how its addresses are made, how it tells a missing file and
// how a failure reads.
class CurlTarget : public PublishTarget {
 public:
  bool Fetch(const std::string& path, std::optional<std::string>& bytes,
             std::string& error) override;
  bool Upload(const std::filesystem::path& local, const std::string& path,
              const TransferProgress& progress, std::string& error) override;

 protected:
  virtual CurlResult Run(const CurlRequest& request) = 0;
  virtual std::string Url(const std::string& path) const = 0;
  virtual bool IsMissing(const CurlResult& result) const = 0;
  // True (with `error` set) when the request failed.
  virtual bool Failed(const CurlResult& result, const std::string& what,
                      std::string& error) const = 0;
  // Makes the folder a file goes into, where the protocol needs it.
  virtual bool MakeFolder(const std::string&, std::string&) { return true; }

  bool StatByHead(const std::string& path, std::optional<std::uint64_t>& size, std::string& error);
  bool RemoveByDelete(const std::string& path, std::string& error);
};

}  // namespace tidewell::publish
