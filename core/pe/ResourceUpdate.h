#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pe/ResourceId.h"

namespace tidewell::pe {

// What a commit did besides writing the resources.
struct CommitResult {
  // The file carried a certificate table (an Authenticode signature). It
  // cannot stay valid after the edit, so it was removed: the file must be
  // signed again.
  bool signatureRemoved = false;
  // The optional header's checksum was non-zero and was recomputed.
  bool checkSumUpdated = false;
  // The resources no longer fitted where they were and were moved to a new
  // section at the end of the image.
  bool resourceSectionMoved = false;
};

// Rewrites resources of a PE file (PE32 or PE32+), keeping every resource it
// is not told to change, every other section's data and addresses, and the
// data after the last section (the overlay).
//
//   auto update = ResourceUpdate::Begin(path, &error);
//   update->Update(kTypeString, 1, 0x0C09, bytes);   // any number of changes
//   update->Commit(&result, &error);                 // writes the file in one step
//
// Nothing is written before Commit. Destroying the object without a commit
// abandons the changes. Commit writes a temporary file beside the target and
// renames it over the target, so on any failure the file stays as it was.
class ResourceUpdate {
 public:
  // Checks that the file is a PE file whose resources can be rewritten
  // without losing any (a well-formed resource directory, data inside the
  // file). nullopt with a reason in `error` otherwise.
  static std::optional<ResourceUpdate> Begin(const std::filesystem::path& file, std::string* error);
  // The same, but the edited file is written to `target` (replaced in one
  // step, or made) and `source` is only read: a copy and its edit are then
  // one write. A new target takes the source's mode, writable by its owner.
  static std::optional<ResourceUpdate> Begin(const std::filesystem::path& source,
                                             const std::filesystem::path& target,
                                             std::string* error);

  // Adds the resource, or replaces the one with the same type, name and
  // language. Resources of the same type and name under other languages
  // stay. False only for data of 4 GiB or more, or after Commit.
  bool Update(const ResourceId& type, const ResourceId& name, uint16_t language,
              std::string_view bytes);
  bool Update(uint16_t type, uint16_t id, uint16_t language, std::string_view bytes);
  // Removes one resource (type, name and language); removing one that does
  // not exist changes nothing.
  bool Remove(const ResourceId& type, const ResourceId& name, uint16_t language);

  // Applies the changes, in the order they were given, to the file as it is
  // now and writes it. May be called once; `result` may be null.
  bool Commit(CommitResult* result, std::string* error);

  const std::filesystem::path& File() const { return file_; }
  const std::filesystem::path& Source() const { return source_; }
  bool HasChanges() const { return !changes_.empty(); }

 private:
  struct Change {
    ResourceId type;
    ResourceId name;
    uint16_t language = 0;
    std::optional<std::string> bytes;  // nullopt removes
  };

  ResourceUpdate(std::filesystem::path source, std::filesystem::path file)
      : source_(std::move(source)), file_(std::move(file)) {}

  std::filesystem::path source_;  // read; the same as file_ for an edit in place
  std::filesystem::path file_;    // written
  std::vector<Change> changes_;
  bool committed_ = false;
};

}  // namespace tidewell::pe
