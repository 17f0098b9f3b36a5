#include "build/ServerFileSignature.h"

#include <fstream>
#include <iterator>
#include <set>

#include <pugixml.hpp>

#include "platform/AtomicFile.h"
#include "project/XmlMemory.h"
#include "signing/SignatureFile.h"
#include "text/Text.h"

namespace tidewell {

namespace fs = std::filesystem;

namespace {

bool Fail(std::string& error, std::string text) {
  error = std::move(text);
  return false;
}

// The host path of a file element, built as the file tree builds it: the
// folder, then the Src folder with host separators, then the name.
fs::path DiskPath(const WString& base, const char* src, const char* name) {
  WString path = base;
  const std::size_t start = path.size();
  path += text::FromUtf8(src);
  for (std::size_t i = start; i < path.size(); ++i)
    if (path[i] == text::kClientSeparator) path[i] = text::kHostSeparator;
  path += text::FromUtf8(name);
  text::ReducePairsInPlace(path, text::kHostSeparator);
  return text::ToPath(path);
}

void CollectFiles(const pugi::xml_node& node, const WString& base,
                  std::vector<PublishedFile>& files, std::set<std::string>& seen) {
  for (const pugi::xml_node& child : node.children()) {
    if (child.type() != pugi::node_element) continue;
    if (std::string_view(child.name()) == "File") {
      const char* src = child.attribute("Src").value();
      const char* name = child.attribute("Name").value();
      if (!text::EqualsNoCaseAscii(src, "zip") && *name != '\0') {
        std::string serverPath = signing::ServerPathOf(src, name);
        if (seen.insert(serverPath).second)
          files.push_back({std::move(serverPath), DiskPath(base, src, name)});
      }
    }
    CollectFiles(child, base, files, seen);
  }
}

}  // namespace

bool DigestOfFile(const fs::path& path, signing::FileDigest& digest, std::string& error,
                  const std::function<bool(std::uint64_t)>& read) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Fail(error, "cannot read " + path.string());
  signing::Sha256 hash;
  std::vector<char> block(1 << 20);
  digest.size = 0;
  while (in) {
    in.read(block.data(), static_cast<std::streamsize>(block.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    hash.Update(std::string_view(block.data(), got));
    digest.size += got;
    if (read && got > 0 && !read(got)) return Fail(error, "cancelled");
  }
  if (!in.eof()) return Fail(error, "cannot read " + path.string());
  digest.sha256 = hash.Finish();
  return true;
}

std::optional<std::vector<PublishedFile>> PublishedFiles(std::string_view serverDocument,
                                                         const WString& updateFilesDir,
                                                         std::string& error) {
  static_cast<void>(XmlMemoryInstalled());
  pugi::xml_document document;
  const pugi::xml_parse_result parsed =
      document.load_buffer(serverDocument.data(), serverDocument.size(),
                           pugi::parse_default | pugi::parse_ws_pcdata_single, pugi::encoding_utf8);
  if (!parsed) {
    error = std::string("the server update file cannot be read: ") + parsed.description();
    return std::nullopt;
  }
  std::vector<PublishedFile> files;
  std::set<std::string> seen;
  CollectFiles(document.child("Tidemark").child("FileList"), updateFilesDir, files, seen);
  for (const PublishedFile& file : files) {
    if (!signing::IsServerPath(file.serverPath)) {
      error = "the file " + file.serverPath + " has a name the signature file cannot list";
      return std::nullopt;
    }
    if (file.serverPath.starts_with(std::string(signing::kProductFolder) + '/')) {
      error = "the file " + file.serverPath + " lies in the folder " + std::string(signing::kProductFolder) +
              ", which signature files keep for the product's name";
      return std::nullopt;
    }
  }
  return files;
}

fs::path SignatureFilePath(const fs::path& serverFile) {
  fs::path path = serverFile;
  path += std::string(signing::kSignatureFileSuffix);
  return path;
}

bool WriteServerFileSignature(const fs::path& serverFile, const WString& updateFilesDir,
                              const SigningKey& key, const signing::SignedProduct& product,
                              std::string& error) {
  if (!signing::IsProductName(product.company) || !signing::IsProductName(product.application))
    return Fail(error, "the company name and the application title cannot hold a line break in a signature file");
  std::ifstream in(serverFile, std::ios::binary);
  const std::string document((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) return Fail(error, "cannot read " + serverFile.string());

  signing::SignatureContent content;
  content.key = key.pair.publicKey;
  content.keyChanges = key.keyChanges;
  content.product = product;
  content.serverFile = {document.size(), signing::Sha256::Of(document)};
  const auto files = PublishedFiles(document, updateFilesDir, error);
  if (!files) return false;
  for (const PublishedFile& file : *files) {
    signing::SignedFile signedFile{file.serverPath, {}};
    if (!DigestOfFile(file.diskPath, signedFile.digest, error)) return false;
    content.files.push_back(std::move(signedFile));
  }
  return WriteFileAtomically(SignatureFilePath(serverFile),
                             signing::WriteSignatureFile(content, key.pair), &error);
}

}  // namespace tidewell
