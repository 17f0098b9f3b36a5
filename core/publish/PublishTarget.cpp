#include "publish/PublishTarget.h"

namespace tidewell::publish {

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string JoinTargetPath(const std::string& prefix, const std::string& path) {
  if (prefix.empty()) return path;
  if (path.empty()) return prefix;
  return prefix + '/' + path;
}

std::string TemporaryPathFor(const std::string& path) {
  // A dot first: web servers commonly refuse to serve such names, and a
  // listing hides them.
  return JoinTargetPath(ParentOf(path), "." + NameOf(path) + ".tidewell-part");
}

}  // namespace tidewell::publish
