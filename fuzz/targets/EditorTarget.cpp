// The resource editor: a module is edited and the result read back with the
// reader. A commit that answers success must have written what it was told
// and kept every other resource.
#include <algorithm>
#include <string>
#include <vector>

#include "FuzzTarget.h"
#include "pe/PeResourceReader.h"
#include "pe/ResourceUpdate.h"
#include "targets/Targets.h"

namespace tidewell::fuzz {

namespace {

struct Edit {
  pe::ResourceId type;
  pe::ResourceId name;
  uint16_t language = 0;
  std::optional<std::string> bytes;  // nullopt: removed
};

// A string-table block of sixteen counted strings, the first one set.
std::string StringBlock() {
  std::string block;
  const std::u16string first = u"Edited";
  block.push_back(static_cast<char>(first.size()));
  block.push_back(0);
  for (char16_t c : first) {
    block.push_back(static_cast<char>(c & 0xFF));
    block.push_back(static_cast<char>(c >> 8));
  }
  block.append(15 * 2, '\0');
  return block;
}

std::vector<Edit> ChooseEdits(const pe::PeResourceReader& before, std::string_view input) {
  std::vector<Edit> edits;
  edits.push_back({pe::ResourceId::Integer(pe::kTypeString), pe::ResourceId::Integer(1), 0x0409,
                   StringBlock()});
  edits.push_back({pe::ResourceId::Named(u"FUZZ"), pe::ResourceId::Integer(7), 0,
                   std::string(input.substr(0, 64))});
  const std::vector<pe::ResourceId> types = before.Types();
  if (!types.empty()) {
    const std::vector<pe::ResourceId> names = before.Names(types.front());
    if (!names.empty()) {
      const std::vector<uint16_t> languages = before.Languages(types.front(), names.front());
      if (!languages.empty())
        edits.push_back({types.front(), names.front(), languages.front(), std::nullopt});
    }
  }
  return edits;
}

bool Touches(const std::vector<Edit>& edits, const pe::ResourceId& type, const pe::ResourceId& name) {
  return std::any_of(edits.begin(), edits.end(), [&](const Edit& edit) {
    return edit.type.Matches(type) && edit.name.Matches(name);
  });
}

void CheckReadBack(const pe::PeResourceReader& before, const pe::PeResourceReader& after,
                   const std::vector<Edit>& edits) {
  for (const Edit& edit : edits) {
    const std::optional<std::string> bytes = after.Read(edit.type, edit.name, edit.language);
    if (edit.bytes)
      Expect(bytes == edit.bytes, "a resource written by a successful edit does not read back");
    else
      Expect(!bytes.has_value(), "a resource removed by a successful edit is still there");
  }
  // Resources the edit did not touch read the same, one at a time so that a
  // directory naming one large resource many times costs no more than one.
  for (const pe::ResourceId& type : before.Types())
    for (const pe::ResourceId& name : before.Names(type)) {
      if (Touches(edits, type, name)) continue;
      for (uint16_t language : before.Languages(type, name)) {
        const std::optional<std::string> old = before.Read(type, name, language);
        if (!old) continue;
        Expect(after.Read(type, name, language) == old, "an edit lost or changed another resource");
      }
    }
}

}  // namespace

void RunResourceEditor(std::string_view input) {
  const std::filesystem::path original = WriteScratchFile("original.exe", input);
  std::optional<pe::PeResourceReader> before = pe::PeResourceReader::Open(original, nullptr);
  if (!before || !before->Problem().empty()) return;
  const std::filesystem::path edited = WriteScratchFile("edited.exe", input);
  std::string error;
  std::optional<pe::ResourceUpdate> update = pe::ResourceUpdate::Begin(edited, &error);
  if (!update) return;
  const std::vector<Edit> edits = ChooseEdits(*before, input);
  for (const Edit& edit : edits) {
    if (edit.bytes)
      update->Update(edit.type, edit.name, edit.language, *edit.bytes);
    else
      update->Remove(edit.type, edit.name, edit.language);
  }
  pe::CommitResult result;
  if (!update->Commit(&result, &error)) return;
  const std::optional<pe::PeResourceReader> after = pe::PeResourceReader::Open(edited, &error);
  if (!after) {
    ReportFinding("a successfully edited module cannot be read: " + error);
    return;
  }
  Expect(after->Problem().empty(), "a successfully edited module has a faulty resource directory");
  CheckReadBack(*before, *after, edits);
}

}  // namespace tidewell::fuzz
