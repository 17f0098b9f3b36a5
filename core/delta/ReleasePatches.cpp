#include "delta/ReleasePatches.h"

#include <fstream>
#include <iterator>
#include <set>

#include "build/ServerFileSignature.h"
#include "delta/Patch.h"
#include "platform/AtomicFile.h"
#include "signing/PatchList.h"

namespace tidewell::delta {

namespace fs = std::filesystem;

namespace {

bool ReadWhole(const fs::path& path, std::string& bytes, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.good() || in.eof()) return true;
  error = "cannot read " + path.string();
  return false;
}

}  // namespace

fs::path PatchListPath(const fs::path& serverFile) {
  fs::path path = serverFile;
  path += std::string(signing::kPatchListSuffix);
  return path;
}

bool WriteReleasePatches(const fs::path& serverFile, const WString& updateFilesDir,
                         const SigningKey& key, const std::vector<fs::path>& earlier,
                         ReleasePatchesReport& report, std::string& error) {
  report = {};
  for (const fs::path& folder : earlier) {
    std::error_code code;
    if (!fs::is_directory(folder, code)) {
      error = "the earlier release " + folder.string() + " is not a folder";
      return false;
    }
  }
  std::string document;
  if (!ReadWhole(serverFile, document, error)) return false;
  const auto files = PublishedFiles(document, updateFilesDir, error);
  if (!files) return false;

  signing::PatchListContent list;
  list.key = key.pair.publicKey;
  list.serverFile = {document.size(), signing::Sha256::Of(document)};
  for (const PublishedFile& file : *files) {
    std::string current;
    bool read = false;
    std::set<signing::Digest> done;
    for (const fs::path& folder : earlier) {
      const fs::path old = folder / fs::path(std::u8string(file.serverPath.begin(), file.serverPath.end()));
      std::error_code code;
      if (!fs::is_regular_file(old, code)) continue;
      const std::uintmax_t oldSize = fs::file_size(old, code);
      const std::uintmax_t newSize = fs::file_size(file.diskPath, code);
      if (code) {
        error = "cannot read " + file.diskPath.string();
        return false;
      }
      if (!PatchFits(oldSize, newSize)) {
        // Whole downloads all the same; counted when the file changed.
        signing::FileDigest oldDigest, newDigest;
        if (!DigestOfFile(old, oldDigest, error) || !DigestOfFile(file.diskPath, newDigest, error))
          return false;
        if (oldDigest != newDigest) ++report.tooLarge;
        continue;
      }
      if (!read) {
        if (!ReadWhole(file.diskPath, current, error)) return false;
        read = true;
      }
      std::string before;
      if (!ReadWhole(old, before, error)) return false;
      const signing::Digest oldSha = signing::Sha256::Of(before);
      if (before == current || !done.insert(oldSha).second) continue;
      const auto patch = MakePatch(before, current, error);
      if (!patch) {
        error = "the patch of " + file.serverPath + " cannot be made: " + error;
        return false;
      }
      if (!WorthKeeping(patch->size(), current.size())) {
        ++report.notSmaller;
        continue;
      }
      const std::string patchPath = signing::PatchServerPath(file.serverPath, oldSha);
      fs::path place = file.diskPath;
      place += patchPath.substr(file.serverPath.size());
      if (!WriteFileAtomically(place, *patch, &error)) return false;
      list.patches.push_back({file.serverPath, oldSha, {patch->size(), signing::Sha256::Of(*patch)}});
      ++report.made;
      report.patchBytes += patch->size();
    }
  }
  return WriteFileAtomically(PatchListPath(serverFile), signing::WritePatchList(list, key.pair), &error);
}

}  // namespace tidewell::delta
