#include "pe/ResourceUpdate.h"

#include <map>
#include <system_error>
#include <utility>

#include "pe/MappedFile.h"
#include "pe/PeImage.h"
#include "pe/PeResourceWriter.h"
#include "pe/ResourceEdit.h"
#include "pe/ResourceParser.h"
#include "platform/AtomicFile.h"

namespace tidewell::pe {

namespace fs = std::filesystem;

namespace {

// The file, its headers and its resources, ready for editing.
struct OpenedImage {
  MappedFile file;
  PeImage image;
  EditTree tree;
};

std::optional<OpenedImage> OpenForEdit(const fs::path& path, std::string* error) {
  auto file = MappedFile::Open(path, error);
  if (!file) return std::nullopt;
  auto image = PeImage::Parse(file->Bytes(), error);
  if (!image) return std::nullopt;
  if (image->NumberOfDirectories() <= kResourceDirectory) {
    if (error) *error = kNoResourceDirectoryEntry;
    return std::nullopt;
  }
  const auto resources = ParseResources(*image, error);
  if (!resources) return std::nullopt;
  auto tree = LoadEditTree(*image, *resources, error);
  if (!tree) return std::nullopt;
  return OpenedImage{std::move(*file), std::move(*image), std::move(*tree)};
}

// Whether two trees hold the same resources in the same order. Names shared
// by many entries are compared once per pair of stored names.
bool SameResources(const EditTree& a, const EditTree& b) {
  std::map<std::pair<const WString*, const WString*>, bool> compared;
  auto same = [&compared](const ResourceId& x, const ResourceId& y) {
    if (x.IsInteger() || y.IsInteger()) return x == y;
    const auto [known, fresh] = compared.emplace(std::pair(x.NameStorage(), y.NameStorage()), false);
    if (fresh) known->second = x == y;
    return known->second;
  };
  if (a.types.size() != b.types.size()) return false;
  for (size_t t = 0; t < a.types.size(); ++t) {
    const EditType& x = a.types[t];
    const EditType& y = b.types[t];
    if (!same(x.type, y.type) || x.names.size() != y.names.size()) return false;
    for (size_t n = 0; n < x.names.size(); ++n) {
      const EditName& p = x.names[n];
      const EditName& q = y.names[n];
      if (!same(p.name, q.name) || p.languages.size() != q.languages.size()) return false;
      for (size_t l = 0; l < p.languages.size(); ++l) {
        const EditLanguage& u = p.languages[l];
        const EditLanguage& v = q.languages[l];
        if (u.language != v.language || u.codePage != v.codePage || u.bytes != v.bytes)
          return false;
      }
    }
  }
  return true;
}

// Reads the resources back from the file just written, as any later reader
// will, and compares them with what was meant to be written: an edit that
// does not read back must not replace the file.
bool ReadsBack(const fs::path& written, const EditTree& expected, std::string* error) {
  std::string why;
  auto check = [&]() -> bool {
    auto opened = OpenForEdit(written, &why);
    if (!opened) return false;
    if (SameResources(opened->tree, expected)) return true;
    why = "they differ from the resources written";
    return false;
  };
  if (check()) return true;
  if (error) *error = "the edited resources do not read back from the new file: " + why;
  return false;
}

}  // namespace

std::optional<ResourceUpdate> ResourceUpdate::Begin(const fs::path& file, std::string* error) {
  // Edit the file a link points to, not the link; a file the update could
  // not replace is refused before any work is done.
  const std::optional<fs::path> target = ResolveWriteTarget(file, error);
  if (!target || !CheckReplaceable(*target, error)) return std::nullopt;
  if (!OpenForEdit(*target, error)) return std::nullopt;
  return ResourceUpdate(*target, *target);
}

std::optional<ResourceUpdate> ResourceUpdate::Begin(const fs::path& source, const fs::path& file,
                                                    std::string* error) {
  const std::optional<fs::path> target = ResolveWriteTarget(file, error);
  if (!target || !CheckReplaceable(*target, error)) return std::nullopt;
  const std::optional<fs::path> from = ResolveWriteTarget(source, error);
  if (!from || !OpenForEdit(*from, error)) return std::nullopt;
  return ResourceUpdate(*from, *target);
}

bool ResourceUpdate::Update(const ResourceId& type, const ResourceId& name, uint16_t language,
                            std::string_view bytes) {
  if (committed_ || bytes.size() > 0xFFFFFFFFull) return false;
  changes_.push_back({type, name, language, std::string(bytes)});
  return true;
}

bool ResourceUpdate::Update(uint16_t type, uint16_t id, uint16_t language, std::string_view bytes) {
  return Update(ResourceId::Integer(type), ResourceId::Integer(id), language, bytes);
}

bool ResourceUpdate::Remove(const ResourceId& type, const ResourceId& name, uint16_t language) {
  if (committed_) return false;
  changes_.push_back({type, name, language, std::nullopt});
  return true;
}

bool ResourceUpdate::Commit(CommitResult* result, std::string* error) {
  if (committed_) {
    if (error) *error = "the resource update was already completed";
    return false;
  }
  committed_ = true;
  CommitResult outcome;
  const bool written = ReplaceFileAtomically(
      file_,
      [&](const fs::path& temporary) {
        // The mapping ends inside this scope, before the temporary file is
        // renamed over the original.
        auto opened = OpenForEdit(source_, error);
        if (!opened) return false;
        for (const Change& c : changes_)
          ApplyChange(opened->tree, c.type, c.name, c.language,
                      c.bytes ? std::optional<std::string_view>(*c.bytes) : std::nullopt);
        SortForLoader(opened->tree);
        if (!WriteImageWithResources(opened->image, opened->tree, source_, temporary, outcome,
                                     error))
          return false;
        if (!ReadsBack(temporary, opened->tree, error)) return false;
        // A replaced file keeps its own mode (the replacement sees to it); a
        // new one takes its source's, and its owner may write it.
        std::error_code ec;
        if (source_ != file_ && !fs::exists(file_, ec))
          fs::permissions(temporary, fs::status(source_, ec).permissions() | fs::perms::owner_write,
                          ec);
        else
          fs::permissions(temporary, fs::status(file_, ec).permissions(), ec);
        return true;
      },
      error);
  if (written && result) *result = outcome;
  return written;
}

}  // namespace tidewell::pe
