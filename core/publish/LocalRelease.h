#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "signing/SignatureFile.h"
#include "text/WString.h"

namespace tidewell::publish {

struct ReleaseFile {
  std::string serverPath;
  std::filesystem::path diskPath;
  signing::FileDigest digest;
};

// A release as the build left it in the project folder: the server file,
// its signature file and the files it offers, and its patch list and
// patches when it has them.
struct LocalRelease {
  std::filesystem::path serverFile;
  std::filesystem::path signatureFile;
  signing::ParsedSignatureFile signature;
  std::filesystem::path patchListFile;  // empty when the build made none
  // In the signature file's order, then the patches in the patch list's.
  std::vector<ReleaseFile> files;
  std::uint64_t TotalSize() const;
};

// Told how many bytes of the release were read; false cancels.
using ReadProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// Reads the release and checks that it is what was signed: the signature
// file is whole and signed by the key it names, the server file has the
// signed digest, and every file the server file offers lies on this host
// with its signed size and SHA-256, as does every patch the patch list
// names (a list signed by the same key for the same server file). Anything
// else means the release changed
// since it was built: false with the reason, nothing published.
bool ReadLocalRelease(const std::filesystem::path& serverFile, const WString& updateFilesDir,
                      LocalRelease& release, std::string& error, const ReadProgress& progress = {});

}  // namespace tidewell::publish
