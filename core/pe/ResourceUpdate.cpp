#include "pe/ResourceUpdate.h"

#include <system_error>

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

}  // namespace

std::optional<ResourceUpdate> ResourceUpdate::Begin(const fs::path& file, std::string* error) {
  // Edit the file a link points to, not the link; a file the update could
  // not replace is refused before any work is done.
  const std::optional<fs::path> target = ResolveWriteTarget(file, error);
  if (!target || !CheckReplaceable(*target, error)) return std::nullopt;
  if (!OpenForEdit(*target, error)) return std::nullopt;
  return ResourceUpdate(*target);
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
        auto opened = OpenForEdit(file_, error);
        if (!opened) return false;
        for (const Change& c : changes_)
          ApplyChange(opened->tree, c.type, c.name, c.language,
                      c.bytes ? std::optional<std::string_view>(*c.bytes) : std::nullopt);
        SortForLoader(opened->tree);
        if (!WriteImageWithResources(opened->image, opened->tree, file_, temporary, outcome, error))
          return false;
        std::error_code ec;
        fs::permissions(temporary, fs::status(file_, ec).permissions(), ec);
        return true;
      },
      error);
  if (written && result) *result = outcome;
  return written;
}

}  // namespace tidewell::pe
