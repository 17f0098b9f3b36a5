#include "publish/CurlTarget.h"

namespace tidewell::publish {

bool CurlTarget::Fetch(const std::string& path, std::optional<std::string>& bytes,
                       std::string& error) {
  CurlRequest request;
  request.url = Url(path);
  CurlResult result = Run(request);
  bytes.reset();
  if (IsMissing(result)) return true;
  if (Failed(result, "read " + path, error)) return false;
  bytes = std::move(result.body);
  return true;
}

bool CurlTarget::Upload(const std::filesystem::path& local, const std::string& path,
                        const TransferProgress& progress, std::string& error) {
  if (!MakeFolder(ParentOf(path), error)) return false;
  CurlRequest request;
  request.url = Url(path);
  request.upload = &local;
  request.progress = progress;
  const CurlResult result = Run(request);
  if (result.Cancelled()) {
    error = "cancelled";
    std::string ignored;
    Remove(path, ignored);
    return false;
  }
  return !Failed(result, "write " + path, error);
}

bool CurlTarget::StatByHead(const std::string& path, std::optional<std::uint64_t>& size,
                            std::string& error) {
  CurlRequest request;
  request.url = Url(path);
  request.noBody = true;
  const CurlResult result = Run(request);
  size.reset();
  if (IsMissing(result)) return true;
  if (Failed(result, "look at " + path, error)) return false;
  size = static_cast<std::uint64_t>(result.length < 0 ? 0 : result.length);
  return true;
}

bool CurlTarget::RemoveByDelete(const std::string& path, std::string& error) {
  CurlRequest request;
  request.url = Url(path);
  request.method = "DELETE";
  const CurlResult result = Run(request);
  return IsMissing(result) || !Failed(result, "remove " + path, error);
}

}  // namespace tidewell::publish
