#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tidewell::publish {

// Where clients find a release: the server file's address (string 2 of the
// client) and the update files' address (string 3), and what they mean for
// the places a release is published to.
struct ReleaseAddresses {
  std::string serverFileUrl;   // as typed
  std::string filesUrl;        // without trailing '/'
  std::string serverFileName;  // the last segment of the server file's path, decoded
  bool hasQuery = false;       // the server file is asked for with parameters
  // The files' folder relative to the server file's folder ("" when the
  // same, "files/v2" below it), decoded; nullopt when it lies elsewhere,
  // with `whyElsewhere` saying where.
  std::optional<std::string> filesPrefix;
  std::string whyElsewhere;
};

// Reads both addresses. Refuses, with the reason, an empty one, one that is
// not http:// or https://, and one holding a variable reference (%Name%),
// which only a client can fill in.
bool ReadReleaseAddresses(const std::string& serverFileUrl, const std::string& filesUrl,
                          ReleaseAddresses& addresses, std::string& error);

// A file's download address as a client makes it: the files' address, then
// each segment of its server path percent-encoded.
std::string FileUrl(const std::string& filesUrl, const std::string& serverPath);
// The signature file's address: ".sig" at the end of the path, before a
// query ("check.php?ed=2" is signed by "check.php.sig?ed=2").
std::string SignatureUrl(const std::string& serverFileUrl);
// The patch list's address, made the same way with ".patches".
std::string PatchListUrl(const std::string& serverFileUrl);
// The address of a file published beside the server file under its name
// with `suffix` added.
std::string BesideUrl(const std::string& serverFileUrl, std::string_view suffix);

}  // namespace tidewell::publish
