#include "pe/ResourceParser.h"

#include <map>
#include <memory>

#include "pe/ResourceFormat.h"
#include "text/Text.h"

namespace tidewell::pe {

namespace {

struct RawEntry {
  uint32_t nameField;
  uint32_t targetField;
};

struct Table {
  DirectoryHeader header;
  std::vector<RawEntry> entries;
};

// At most this many directory entries are read in all; a module with more
// is not one a publisher builds.
constexpr uint64_t kMaxEntries = uint64_t{1} << 20;

// Walks the directory tree within the bytes of the resource section. Each
// directory table may be read once and no two tables may overlap, so a cycle
// or a table reached twice is refused, and the number of entries read is
// bounded by the section's size. A string name is decoded once, however many
// entries point at it, and two names may not overlap: the names held never
// take more room than the section itself.
class Walker {
 public:
  Walker(const PeImage& image, ByteReader region, ResourceTree& tree)
      : image_(image), region_(region), tree_(tree) {}

  void Run() {
    auto root = ReadTable(0, nullptr);
    if (!root) return;
    tree_.header = root->header;
    for (const RawEntry& e : root->entries) {
      auto type = ReadName(e.nameField, "a resource type");
      if (!type) continue;
      auto names = SubTable(e.targetField, *type, "type");
      if (!names) continue;
      ResourceType t{*type, names->header, {}};
      for (const RawEntry& n : names->entries) {
        auto name = ReadName(n.nameField, "a resource name");
        if (!name) continue;
        auto langs = SubTable(n.targetField, *name, "name");
        if (!langs) continue;
        ResourceName rn{*name, langs->header, {}};
        for (const RawEntry& l : langs->entries) {
          auto lang = ReadName(l.nameField, "a language");
          if (!lang) continue;
          if (!lang->IsInteger()) {
            Note("a language of resource " + Text(*name) + " has a string name");
            continue;
          }
          auto data = ReadData(l.targetField, *name);
          if (data) rn.languages.push_back({lang->Id(), *data});
        }
        t.names.push_back(std::move(rn));
      }
      tree_.types.push_back(std::move(t));
    }
  }

 private:
  static std::string Text(const ResourceId& id) { return text::ToUtf8(id.ToText()); }

  void Note(const std::string& what) {
    if (tree_.problem.empty()) tree_.problem = "malformed resource directory: " + what;
  }

  std::optional<Table> SubTable(uint32_t target, const ResourceId& owner, const char* level) {
    if (!(target & kResourceHighBit)) {
      Note("the " + std::string(level) + " entry " + Text(owner) +
           " points to data instead of a directory");
      return std::nullopt;
    }
    return ReadTable(target & ~kResourceHighBit, &owner);
  }

  // Reads the directory table at `offset` that belongs to `owner` (nullptr:
  // the root). Its description is only formed for a fault, as a name may be
  // long and is shared by many tables.
  std::optional<Table> ReadTable(uint32_t offset, const ResourceId* owner) {
    auto what = [owner] {
      return owner ? "the directory of " + Text(*owner) : std::string("the root directory");
    };
    auto named = region_.readU16(offset + 12ull);
    auto ids = region_.readU16(offset + 14ull);
    if (!named || !ids) {
      Note(what() + " lies outside the resource section");
      return std::nullopt;
    }
    const uint64_t end = offset + uint64_t{kResourceTableHeaderSize} +
                         uint64_t{kResourceEntrySize} * (*named + *ids);
    if (end > region_.Size()) {
      Note(what() + " runs past the end of the resource section");
      return std::nullopt;
    }
    entries_ += *named + *ids;
    if (entries_ > kMaxEntries) {
      Note("the directory holds more than " + std::to_string(kMaxEntries) + " entries");
      return std::nullopt;
    }
    if (!Claim(claimed_, offset, end)) {
      Note(what() + " overlaps another directory or is reached twice");
      return std::nullopt;
    }
    Table table;
    table.header = {*region_.readU32(offset), *region_.readU32(offset + 4ull),
                    *region_.readU16(offset + 8ull), *region_.readU16(offset + 10ull)};
    for (uint64_t at = offset + kResourceTableHeaderSize; at < end; at += kResourceEntrySize)
      table.entries.push_back({*region_.readU32(at), *region_.readU32(at + 4)});
    return table;
  }

  // Records [start, end) in `spans` unless it overlaps a span already there.
  static bool Claim(std::map<uint64_t, uint64_t>& spans, uint64_t start, uint64_t end) {
    auto next = spans.lower_bound(start);
    if (next != spans.end() && next->first < end) return false;
    if (next != spans.begin() && std::prev(next)->second > start) return false;
    spans.emplace(start, end);
    return true;
  }

  std::optional<ResourceId> ReadName(uint32_t field, const char* what) {
    if (!(field & kResourceHighBit)) {
      if (field > 0xFFFF) {
        Note(std::string(what) + " has an id beyond 65535");
        return std::nullopt;
      }
      return ResourceId::Integer(static_cast<uint16_t>(field));
    }
    const uint32_t offset = field & ~kResourceHighBit;
    if (const auto known = names_.find(offset); known != names_.end()) return known->second;
    const auto length = region_.readU16(offset);
    const auto chars = length ? region_.readBytes(offset + 2ull, 2ull * *length) : std::nullopt;
    if (!chars) {
      Note(std::string("the string name of ") + what + " lies outside the resource section");
      return std::nullopt;
    }
    if (!Claim(nameSpans_, offset, offset + 2ull + 2ull * *length)) {
      Note(std::string("the string name of ") + what + " overlaps another name");
      return std::nullopt;
    }
    WString name(*length, u'\0');
    for (size_t i = 0; i < name.size(); ++i)
      name[i] = static_cast<char16_t>((*chars)[2 * i] | ((*chars)[2 * i + 1] << 8));
    const ResourceId id = ResourceId::Named(std::make_shared<const WString>(std::move(name)));
    names_.emplace(offset, id);
    return id;
  }

  std::optional<ResourceData> ReadData(uint32_t target, const ResourceId& owner) {
    if (target & kResourceHighBit) {
      Note("resource " + Text(owner) + " has a directory where its data entry belongs");
      return std::nullopt;
    }
    if (!region_.Contains(target, kResourceDataEntrySize)) {
      Note("the data entry of resource " + Text(owner) + " lies outside the resource section");
      return std::nullopt;
    }
    ResourceData data{*region_.readU32(target), *region_.readU32(target + 4ull),
                      *region_.readU32(target + 8ull)};
    if (!image_.RvaToOffset(data.rva, data.size))
      Note("the data of resource " + Text(owner) + " lies outside the file");
    else if (!ClaimData(data))
      Note("the data of resource " + Text(owner) + " overlaps the data of another");
    return data;
  }

  // Resources may share their data, but the data of two may not overlap
  // otherwise: then an edit, which writes each distinct data once, never
  // writes more than the file holds.
  bool ClaimData(const ResourceData& data) {
    if (data.size == 0) return true;
    const uint64_t start = data.rva, end = start + data.size;
    if (const auto same = dataSpans_.find(start); same != dataSpans_.end() && same->second == end)
      return true;
    return Claim(dataSpans_, start, end);
  }

  const PeImage& image_;
  ByteReader region_;
  ResourceTree& tree_;
  std::map<uint64_t, uint64_t> claimed_;    // start -> end of each table read
  std::map<uint64_t, uint64_t> nameSpans_;  // start -> end of each string name read
  std::map<uint64_t, uint64_t> dataSpans_;  // start -> end (RVAs) of each resource's data
  std::map<uint32_t, ResourceId> names_;    // each string name read, by its offset
  uint64_t entries_ = 0;
};

}  // namespace

std::optional<ResourceTree> ParseResources(const PeImage& image, std::string* error) {
  ResourceTree tree;
  const DataDirectory dir = image.Directory(kResourceDirectory);
  if (dir.address == 0) return tree;
  const auto region = image.ReaderFromRva(dir.address);
  if (!region) {
    if (error) *error = "malformed PE file: the resource directory lies outside the file";
    return std::nullopt;
  }
  Walker(image, *region, tree).Run();
  return tree;
}

}  // namespace tidewell::pe
