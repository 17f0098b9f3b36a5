#include "publish/LocalRelease.h"

#include <fstream>
#include <iterator>
#include <map>

#include "build/ServerFileSignature.h"
#include "signing/SignatureCheck.h"

namespace tidewell::publish {

namespace fs = std::filesystem;

namespace {

constexpr const char* kBuildAgain = ": build the update XML file again";

bool ReadWhole(const fs::path& path, std::string& bytes, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path.string();
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    error = "cannot read " + path.string();
    return false;
  }
  return true;
}

}  // namespace

std::uint64_t LocalRelease::TotalSize() const {
  std::uint64_t total = 0;
  for (const ReleaseFile& file : files) total += file.digest.size;
  return total;
}

bool ReadLocalRelease(const fs::path& serverFile, const WString& updateFilesDir,
                      LocalRelease& release, std::string& error, const ReadProgress& progress) {
  release = {};
  release.serverFile = serverFile;
  release.signatureFile = SignatureFilePath(serverFile);
  std::string document, signatureText;
  if (!ReadWhole(serverFile, document, error)) {
    error += kBuildAgain;
    return false;
  }
  if (!ReadWhole(release.signatureFile, signatureText, error)) {
    error = "the signature file " + release.signatureFile.string() + " is missing" + kBuildAgain;
    return false;
  }
  std::string why;
  auto parsed = signing::ReadSignatureFile(signatureText, why);
  if (!parsed) {
    error = "the signature file " + release.signatureFile.string() + " is damaged (" + why + ")" +
            kBuildAgain;
    return false;
  }
  std::vector<signing::PublicKey> signer;
  if (!signing::CheckServerFile(*parsed, parsed->content.key, document, signer, why)) {
    error = "the server file " + serverFile.string() + " is not the one signed (" + why + ")" +
            kBuildAgain;
    return false;
  }
  release.signature = std::move(*parsed);

  const auto offered = PublishedFiles(document, updateFilesDir, error);
  if (!offered) return false;
  std::map<std::string, fs::path> places;
  for (const PublishedFile& file : *offered) places[file.serverPath] = file.diskPath;
  if (places.size() != release.signature.content.files.size()) {
    error = "the server file offers other files than its signature file lists" + std::string(kBuildAgain);
    return false;
  }

  std::uint64_t total = 0, done = 0;
  for (const signing::SignedFile& file : release.signature.content.files) total += file.digest.size;
  for (const signing::SignedFile& file : release.signature.content.files) {
    const auto place = places.find(file.path);
    if (place == places.end()) {
      error = "the signature file lists " + file.path + ", which the server file does not offer" +
              kBuildAgain;
      return false;
    }
    signing::FileDigest actual;
    if (!DigestOfFile(place->second, actual, error, [&](std::uint64_t read) {
          done += read;
          return !progress || progress(done, total);
        }))
      return false;
    if (actual != file.digest) {
      error = place->second.string() + " changed since the update XML file was built" + kBuildAgain;
      return false;
    }
    release.files.push_back({file.path, place->second, file.digest});
  }
  return true;
}

}  // namespace tidewell::publish
