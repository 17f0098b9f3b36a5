#include "publish/LocalRelease.h"

#include <fstream>
#include <iterator>
#include <map>
#include <vector>

#include "build/ServerFileSignature.h"
#include "signing/PatchList.h"
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

// The patch list beside the server file, when the build made one: it must
// be signed by the signature file's key for this server file, and name
// patches of files the release offers, each lying beside its file.
bool ReadPatchList(LocalRelease& release, const std::map<std::string, fs::path>& places,
                   std::vector<ReleaseFile>& expected, std::string& error) {
  fs::path listFile = release.serverFile;
  listFile += std::string(signing::kPatchListSuffix);
  std::error_code code;
  if (!fs::exists(listFile, code)) return true;
  std::string text, why;
  if (!ReadWhole(listFile, text, error)) return false;
  const auto list = signing::ReadPatchList(text, why);
  if (!list) {
    error = "the patch list " + listFile.string() + " is damaged (" + why + ")" + kBuildAgain;
    return false;
  }
  if (list->content.key != release.signature.content.key ||
      list->content.serverFile != release.signature.content.serverFile) {
    error = "the patch list " + listFile.string() + " is not for this update XML file" + kBuildAgain;
    return false;
  }
  for (const signing::ListedPatch& patch : list->content.patches) {
    const auto place = places.find(patch.path);
    if (place == places.end()) {
      error = "the patch list names a patch of " + patch.path + ", which the server file does not offer" +
              kBuildAgain;
      return false;
    }
    const std::string path = signing::PatchServerPath(patch.path, patch.oldSha256);
    fs::path disk = place->second;
    disk += path.substr(patch.path.size());
    expected.push_back({path, disk, patch.patch});
  }
  release.patchListFile = std::move(listFile);
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

  // Every file to publish with its signed digest: the files the signature
  // file lists, then the patches the patch list names.
  std::vector<ReleaseFile> expected;
  for (const signing::SignedFile& file : release.signature.content.files) {
    const auto place = places.find(file.path);
    if (place == places.end()) {
      error = "the signature file lists " + file.path + ", which the server file does not offer" +
              kBuildAgain;
      return false;
    }
    expected.push_back({file.path, place->second, file.digest});
  }
  if (!ReadPatchList(release, places, expected, error)) return false;

  std::uint64_t total = 0, done = 0;
  for (const ReleaseFile& file : expected) total += file.digest.size;
  for (ReleaseFile& file : expected) {
    signing::FileDigest actual;
    if (!DigestOfFile(file.diskPath, actual, error, [&](std::uint64_t read) {
          done += read;
          return !progress || progress(done, total);
        }))
      return false;
    if (actual != file.digest) {
      error = file.diskPath.string() + " changed since the update XML file was built" + kBuildAgain;
      return false;
    }
    release.files.push_back(std::move(file));
  }
  return true;
}

}  // namespace tidewell::publish
