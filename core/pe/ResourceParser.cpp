#include "pe/ResourceParser.h"

#include <map>

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

// Walks the directory tree within the bytes of the resource section. Each
// directory table may be read once and no two tables may overlap, so a cycle
// or a table reached twice is refused, and the number of entries read is
// bounded by the section's size.
class Walker {
 public:
  Walker(const PeImage& image, ByteReader region, ResourceTree& tree)
      : image_(image), region_(region), tree_(tree) {}

  void Run() {
    auto root = ReadTable(0, "the root directory");
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
    return ReadTable(target & ~kResourceHighBit, "the directory of " + Text(owner));
  }

  std::optional<Table> ReadTable(uint32_t offset, const std::string& what) {
    auto named = region_.readU16(offset + 12ull);
    auto ids = region_.readU16(offset + 14ull);
    if (!named || !ids) {
      Note(what + " lies outside the resource section");
      return std::nullopt;
    }
    const uint64_t end = offset + uint64_t{kResourceTableHeaderSize} +
                         uint64_t{kResourceEntrySize} * (*named + *ids);
    if (end > region_.Size()) {
      Note(what + " runs past the end of the resource section");
      return std::nullopt;
    }
    if (!ClaimTable(offset, end)) {
      Note(what + " overlaps another directory or is reached twice");
      return std::nullopt;
    }
    Table table;
    table.header = {*region_.readU32(offset), *region_.readU32(offset + 4ull),
                    *region_.readU16(offset + 8ull), *region_.readU16(offset + 10ull)};
    for (uint64_t at = offset + kResourceTableHeaderSize; at < end; at += kResourceEntrySize)
      table.entries.push_back({*region_.readU32(at), *region_.readU32(at + 4)});
    return table;
  }

  bool ClaimTable(uint64_t start, uint64_t end) {
    auto next = claimed_.lower_bound(start);
    if (next != claimed_.end() && next->first < end) return false;
    if (next != claimed_.begin() && std::prev(next)->second > start) return false;
    claimed_.emplace(start, end);
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
    const auto length = region_.readU16(offset);
    const auto chars = length ? region_.readBytes(offset + 2ull, 2ull * *length) : std::nullopt;
    if (!chars) {
      Note(std::string("the string name of ") + what + " lies outside the resource section");
      return std::nullopt;
    }
    WString name(*length, u'\0');
    for (size_t i = 0; i < name.size(); ++i)
      name[i] = static_cast<char16_t>((*chars)[2 * i] | ((*chars)[2 * i + 1] << 8));
    return ResourceId::Named(std::move(name));
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
    return data;
  }

  const PeImage& image_;
  ByteReader region_;
  ResourceTree& tree_;
  std::map<uint64_t, uint64_t> claimed_;  // start -> end of each table read
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
