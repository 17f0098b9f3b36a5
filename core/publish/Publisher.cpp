#include "publish/Publisher.h"

#include <fstream>
#include <iterator>
#include <random>
#include <set>

#include "build/ServerFileSignature.h"
#include "publish/PublishRecord.h"
#include "signing/PatchList.h"

namespace tidewell::publish {

namespace fs = std::filesystem;

namespace {

// A local file holding bytes to upload, removed with the object.
class LocalCopy {
 public:
  explicit LocalCopy(std::string_view bytes) {
    std::random_device random;
    path_ = fs::temp_directory_path() / ("tidewell-publish-" + std::to_string(random()) + ".tmp");
    std::ofstream out(path_, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ok_ = static_cast<bool>(out.flush());
  }
  ~LocalCopy() {
    std::error_code ec;
    fs::remove(path_, ec);
  }
  bool Ok() const { return ok_; }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
  bool ok_ = false;
};

struct Upload {
  const fs::path* local;
  std::string path;
  signing::FileDigest digest;
};

class Publication {
 public:
  Publication(const LocalRelease& release, const PublishPlaces& places, const PublishProgressFn& progress,
              PublishReport& report, std::string& error)
      : release_(release), places_(places), progress_(progress), report_(report), error_(error) {}

  bool Run(bool prune) {
    report_ = {};
    if (!NamesAreFree()) return false;
    std::optional<std::string> previousText;
    if (!places_.server->Fetch(SignaturePath(), previousText, error_)) return false;
    if (previousText) {
      std::string why;
      if (auto parsed = signing::ReadSignatureFile(*previousText, why))
        for (const signing::SignedFile& file : parsed->content.files) previous_.insert(file.path);
    }
    std::optional<std::string> recordText;
    if (!places_.files->Fetch(RecordPath(), recordText, error_)) return false;
    if (recordText) record_ = ReadPublishRecord(*recordText).value_or(PublishRecord{});

    std::vector<Upload> uploads;
    for (const ReleaseFile& file : release_.files) {
      const std::string path = JoinTargetPath(places_.filesPrefix, file.serverPath);
      std::optional<std::uint64_t> size;
      if (!places_.files->Stat(path, size, error_)) return false;
      const auto known = record_.find(path);
      if (size && *size == file.digest.size && known != record_.end() && known->second == file.digest) {
        ++report_.unchanged;
        continue;
      }
      uploads.push_back({&file.diskPath, path, file.digest});
      toSend_ += file.digest.size;
    }

    // A release published already: the target holds the same server file
    // and signature file, and every file.
    std::string serverBytes, signatureBytes;
    if (!ReadLocal(release_.serverFile, serverBytes) || !ReadLocal(release_.signatureFile, signatureBytes))
      return false;
    std::optional<std::string> publishedServerFile;
    if (!places_.server->Fetch(places_.serverFileName, publishedServerFile, error_)) return false;
    // The patch list, when the release has one, goes with the signature file.
    const bool patches = !release_.patchListFile.empty();
    std::string listBytes;
    std::optional<std::string> publishedList;
    if ((patches && !ReadLocal(release_.patchListFile, listBytes)) ||
        !places_.server->Fetch(PatchListPath(), publishedList, error_))
      return false;
    const bool same = uploads.empty() && previousText == signatureBytes &&
                      publishedServerFile == serverBytes &&
                      (patches ? publishedList == listBytes : !publishedList);
    toSend_ += serverBytes.size() + signatureBytes.size() + listBytes.size();

    // 1. The files, under temporary names: the long part, and nothing a
    // client reads has changed yet.
    std::vector<std::string> sentTemporaries;
    for (const Upload& upload : uploads) {
      if (!Send(*places_.files, *upload.local, upload.path)) {
        Clean(*places_.files, sentTemporaries);
        return false;
      }
      sentTemporaries.push_back(TemporaryPathFor(upload.path));
    }
    // The signature file and the server file too, before anything is put in
    // place, so the renames that follow come in quick succession.
    const std::string serverPath = places_.serverFileName;
    std::vector<std::string> sentBeside;
    if (!same && patches) {
      if (!Send(*places_.server, release_.patchListFile, PatchListPath())) {
        Clean(*places_.files, sentTemporaries);
        return false;
      }
      sentBeside.push_back(TemporaryPathFor(PatchListPath()));
    }
    if (!same && !Send(*places_.server, release_.signatureFile, SignaturePath())) {
      Clean(*places_.files, sentTemporaries);
      Clean(*places_.server, sentBeside);
      return false;
    }
    sentBeside.push_back(TemporaryPathFor(SignaturePath()));
    if (!same && !Send(*places_.server, release_.serverFile, serverPath)) {
      Clean(*places_.files, sentTemporaries);
      Clean(*places_.server, sentBeside);
      return false;
    }

    // 2. The files into place. From here on the publish finishes.
    for (const Upload& upload : uploads) {
      if (!places_.files->Rename(TemporaryPathFor(upload.path), upload.path, error_)) {
        SaveRecord();
        return false;
      }
      record_[upload.path] = upload.digest;
      report_.sent.push_back(upload.path);
    }
    if (!uploads.empty() && !SaveRecord()) return false;

    // 3. The patch list, the signature file, then the server file that
    // names them.
    if (!same && patches) {
      if (!places_.server->Rename(TemporaryPathFor(PatchListPath()), PatchListPath(), error_)) return false;
      report_.sent.push_back(PatchListPath());
    }
    if (!same && (!places_.server->Rename(TemporaryPathFor(SignaturePath()), SignaturePath(), error_) ||
                  !places_.server->Rename(TemporaryPathFor(serverPath), serverPath, error_)))
      return false;
    if (!same) {
      report_.sent.push_back(SignaturePath());
      report_.sent.push_back(serverPath);
    }
    // An earlier release's patch list names another server file: clients
    // ignore it, and it goes.
    if (!patches && publishedList && !places_.server->Remove(PatchListPath(), error_)) return false;

    std::set<std::string> current;
    for (const ReleaseFile& file : release_.files) current.insert(file.serverPath);
    for (const std::string& old : previous_)
      if (!current.count(old)) report_.leftInPlace.push_back(JoinTargetPath(places_.filesPrefix, old));
    if (prune) return Prune(current);
    return true;
  }

 private:
  std::string SignaturePath() const {
    return places_.serverFileName + std::string(signing::kSignatureFileSuffix);
  }
  std::string PatchListPath() const {
    return places_.serverFileName + std::string(signing::kPatchListSuffix);
  }
  std::string RecordPath() const {
    return JoinTargetPath(places_.filesPrefix, std::string(kPublishRecordName));
  }

  // An update file may not take a name the publish writes itself.
  bool NamesAreFree() {
    const bool shared = places_.files == places_.server;
    for (const ReleaseFile& file : release_.files) {
      const std::string path = JoinTargetPath(places_.filesPrefix, file.serverPath);
      std::string clash;
      if (NameOf(path).ends_with(".tidewell-part") || NameOf(path).ends_with(".tidewell-part-old") ||
          path == RecordPath())
        clash = "a name the publish keeps for its own files";
      else if (shared && (path == places_.serverFileName || path == SignaturePath()))
        clash = "the name of the update XML file or of its signature file";
      else if (shared && path == PatchListPath())
        clash = "the name of the update XML file's patch list";
      if (!clash.empty()) {
        error_ = "the update file " + file.serverPath + " would take " + clash + "; rename it";
        return false;
      }
    }
    return true;
  }

  bool Send(PublishTarget& target, const fs::path& local, const std::string& path) {
    const std::uint64_t before = report_.bytesSent;
    const std::string temporary = TemporaryPathFor(path);
    const bool sent = target.Upload(local, temporary, [&](std::uint64_t bytes) {
      report_.bytesSent = before + bytes;
      if (progress_ && !progress_({path, report_.bytesSent, toSend_})) {
        report_.cancelled = true;
        return false;
      }
      return true;
    }, error_);
    if (!sent) {
      if (report_.cancelled) error_ = "the publish was cancelled; the previous release is as it was";
      std::string ignored;
      target.Remove(temporary, ignored);
      return false;
    }
    std::error_code ec;
    report_.bytesSent = before + fs::file_size(local, ec);
    return true;
  }

  bool ReadLocal(const fs::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.good() || in.eof()) return true;
    error_ = "cannot read " + path.string();
    return false;
  }

  static void Clean(PublishTarget& target, const std::vector<std::string>& temporaries) {
    std::string ignored;
    for (const std::string& temporary : temporaries) target.Remove(temporary, ignored);
  }

  bool SaveRecord() {
    LocalCopy copy(WritePublishRecord(record_));
    std::string why;
    const bool saved = copy.Ok() && places_.files->Upload(copy.Path(), TemporaryPathFor(RecordPath()), {}, why) &&
                       places_.files->Rename(TemporaryPathFor(RecordPath()), RecordPath(), why);
    if (!saved && error_.empty()) error_ = why;
    return saved;
  }

  bool Prune(const std::set<std::string>& current) {
    std::vector<std::string> remove;
    for (const auto& [path, digest] : record_) {
      const std::string serverPath = places_.filesPrefix.empty() || path.rfind(places_.filesPrefix + "/", 0) != 0
                                         ? path
                                         : path.substr(places_.filesPrefix.size() + 1);
      if (!current.count(serverPath) && !previous_.count(serverPath)) remove.push_back(path);
    }
    for (const std::string& path : remove) {
      if (!places_.files->Remove(path, error_)) {
        SaveRecord();
        return false;
      }
      record_.erase(path);
      report_.pruned.push_back(path);
    }
    return remove.empty() || SaveRecord();
  }

  const LocalRelease& release_;
  const PublishPlaces& places_;
  const PublishProgressFn& progress_;
  PublishReport& report_;
  std::string& error_;
  std::set<std::string> previous_;
  PublishRecord record_;
  std::uint64_t toSend_ = 0;
};

}  // namespace

bool Publish(const LocalRelease& release, const PublishPlaces& places, bool prune,
             const PublishProgressFn& progress, PublishReport& report, std::string& error) {
  return Publication(release, places, progress, report, error).Run(prune);
}

}  // namespace tidewell::publish
