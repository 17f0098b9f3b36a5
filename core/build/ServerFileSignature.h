#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "signing/SignatureFile.h"
#include "signing/SigningKey.h"
#include "text/WString.h"

namespace tidewell {

// A file a client may download: its server path and where it lies on this
// host.
struct PublishedFile {
  std::string serverPath;
  std::filesystem::path diskPath;
};

// The files a server update file offers for download: every file element
// of its file list but the entries of archives (their archive is what is
// downloaded), each server path once. A file's place on this host is the
// update files folder, its Src folder and its name, as the tool measures it.
std::optional<std::vector<PublishedFile>> PublishedFiles(std::string_view serverDocument,
                                                         const WString& updateFilesDir,
                                                         std::string& error);

// A file's size and SHA-256, read in blocks, each block's size told to
// `read` (false stops with the error "cancelled"); false with the reason.
bool DigestOfFile(const std::filesystem::path& path, signing::FileDigest& digest,
                  std::string& error, const std::function<bool(std::uint64_t)>& read = {});

// The path of a server file's signature file: its name with ".sig" added.
std::filesystem::path SignatureFilePath(const std::filesystem::path& serverFile);

// Writes the signature file beside the server file: the product it is for
// (as the client's strings 5 and 4 hold it), the SHA-256 and size of the
// server file's bytes and of every file it offers, signed with `key`.
// The server file is read, never changed; the signature file is replaced in
// one step, so a failure leaves the previous one as it was.
bool WriteServerFileSignature(const std::filesystem::path& serverFile,
                              const WString& updateFilesDir, const SigningKey& key,
                              const signing::SignedProduct& product, std::string& error);

}  // namespace tidewell
