#include "pe/ResourceSectionBuilder.h"

#include <map>
#include <utility>

#include "pe/ByteReader.h"
#include "pe/ResourceFormat.h"

namespace tidewell::pe {

namespace {

constexpr uint64_t kDataAlignment = 8;

uint64_t TableSize(size_t entries) {
  return kResourceTableHeaderSize + uint64_t{kResourceEntrySize} * entries;
}

uint64_t StringSize(const ResourceId& id) { return id.IsInteger() ? 0 : 2 + 2 * id.Name().size(); }

// Assigns every table, data entry, string and blob its offset in a first
// pass; a second pass writes them.
class Layout {
  // Where a string or a resource's bytes go, and whether this use is the
  // first, which writes them.
  struct Placed {
    uint64_t at = 0;
    bool first = true;
  };

 public:
  explicit Layout(const EditTree& tree) : tree_(tree) {}

  uint64_t Plan() {
    uint64_t at = TableSize(tree_.types.size());
    for (const EditType& t : tree_.types) {
      nameTables_.push_back(at);
      at += TableSize(t.names.size());
    }
    for (const EditType& t : tree_.types)
      for (const EditName& n : t.names) {
        languageTables_.push_back(at);
        at += TableSize(n.languages.size());
      }
    for (const EditType& t : tree_.types)
      for (const EditName& n : t.names)
        for (size_t i = 0; i < n.languages.size(); ++i) {
          dataEntries_.push_back(at);
          at += kResourceDataEntrySize;
        }
    // A name held once (shared by many entries) is written once, and so are
    // the bytes of resources that view the same data: the section never
    // grows beyond what the distinct names and data need.
    std::map<const WString*, uint64_t> stringAt;
    auto placeString = [&](const ResourceId& id, std::vector<Placed>& placed) {
      const auto [known, fresh] = stringAt.emplace(id.NameStorage(), at);
      placed.push_back({known->second, fresh});
      if (fresh) at += StringSize(id);
    };
    for (const EditType& t : tree_.types) {
      placeString(t.type, typeStrings_);
      for (const EditName& n : t.names) placeString(n.name, nameStrings_);
    }
    std::map<std::pair<const char*, size_t>, uint64_t> blobAt;
    for (const EditType& t : tree_.types)
      for (const EditName& n : t.names)
        for (const EditLanguage& l : n.languages) {
          const uint64_t aligned = AlignUp(at, kDataAlignment);
          const auto [known, fresh] = blobAt.emplace(std::pair(l.bytes.data(), l.bytes.size()), aligned);
          blobs_.push_back({known->second, fresh});
          if (fresh) at = aligned + l.bytes.size();
        }
    return at;
  }

  void Write(uint8_t* out, uint32_t sectionRva) const {
    size_t type = 0, name = 0, data = 0;
    WriteTable(out, 0, tree_.header, tree_.types.size(), [&](size_t i) {
      return MakeEntry(tree_.types[i].type, typeStrings_[i].at, nameTables_[i] | kResourceHighBit);
    });
    for (const EditType& t : tree_.types) {
      const size_t firstName = name;
      WriteTable(out, nameTables_[type], t.header, t.names.size(), [&](size_t i) {
        return MakeEntry(t.names[i].name, nameStrings_[firstName + i].at,
                         languageTables_[firstName + i] | kResourceHighBit);
      });
      for (const EditName& n : t.names) {
        const size_t firstData = data;
        WriteTable(out, languageTables_[name], n.header, n.languages.size(), [&](size_t i) {
          return Entry{false, n.languages[i].language, dataEntries_[firstData + i]};
        });
        for (const EditLanguage& l : n.languages) {
          uint8_t* entry = out + dataEntries_[data];
          WriteU32(entry, static_cast<uint32_t>(sectionRva + blobs_[data].at));
          WriteU32(entry + 4, static_cast<uint32_t>(l.bytes.size()));
          WriteU32(entry + 8, l.codePage);
          if (blobs_[data].first) std::copy(l.bytes.begin(), l.bytes.end(), out + blobs_[data].at);
          ++data;
        }
        WriteString(out, nameStrings_[name], n.name);
        ++name;
      }
      WriteString(out, typeStrings_[type], t.type);
      ++type;
    }
  }

 private:
  struct Entry {
    bool named;
    uint32_t id;  // the integer id, or the offset of the string name
    uint64_t target;
  };
  static Entry MakeEntry(const ResourceId& id, uint64_t stringOffset, uint64_t target) {
    return {!id.IsInteger(), id.IsInteger() ? id.Id() : static_cast<uint32_t>(stringOffset),
            target};
  }

  template <typename EntryAt>
  static void WriteTable(uint8_t* out, uint64_t at, const DirectoryHeader& header, size_t count,
                         EntryAt entryAt) {
    uint8_t* table = out + at;
    WriteU32(table, header.characteristics);
    WriteU32(table + 4, header.timeDateStamp);
    WriteU16(table + 8, header.majorVersion);
    WriteU16(table + 10, header.minorVersion);
    uint16_t named = 0;
    for (size_t i = 0; i < count; ++i)
      if (entryAt(i).named) ++named;
    WriteU16(table + 12, named);
    WriteU16(table + 14, static_cast<uint16_t>(count - named));
    for (size_t i = 0; i < count; ++i) {
      const Entry e = entryAt(i);
      uint8_t* slot = table + kResourceTableHeaderSize + kResourceEntrySize * i;
      WriteU32(slot, e.named ? e.id | kResourceHighBit : e.id);
      WriteU32(slot + 4, static_cast<uint32_t>(e.target));
    }
  }

  static void WriteString(uint8_t* out, Placed placed, const ResourceId& id) {
    if (id.IsInteger() || !placed.first) return;
    const uint64_t at = placed.at;
    WriteU16(out + at, static_cast<uint16_t>(id.Name().size()));
    for (size_t i = 0; i < id.Name().size(); ++i) WriteU16(out + at + 2 + 2 * i, id.Name()[i]);
  }

  const EditTree& tree_;
  std::vector<uint64_t> nameTables_, languageTables_, dataEntries_;
  std::vector<Placed> typeStrings_, nameStrings_, blobs_;
};

bool CountsFit(const EditTree& tree) {
  if (tree.types.size() > 0xFFFF) return false;
  for (const EditType& t : tree.types) {
    if (t.names.size() > 0xFFFF || StringSize(t.type) > 0x20000) return false;
    for (const EditName& n : t.names)
      if (n.languages.size() > 0xFFFF || n.name.Name().size() > 0xFFFF) return false;
  }
  return true;
}

}  // namespace

std::optional<std::string> BuildResourceSection(const EditTree& tree, uint32_t sectionRva,
                                                std::string* error) {
  if (!CountsFit(tree)) {
    if (error) *error = "too many resources or too long a resource name for one directory";
    return std::nullopt;
  }
  Layout layout(tree);
  const uint64_t size = layout.Plan();
  // Offsets in the directory are 31 bits; RVAs must stay below 4 GiB.
  if (size >= kResourceHighBit || sectionRva + size > 0xFFFFFFFFull) {
    if (error) *error = "the resources are too large for one image";
    return std::nullopt;
  }
  std::string section(size, '\0');
  layout.Write(reinterpret_cast<uint8_t*>(section.data()), sectionRva);
  return section;
}

}  // namespace tidewell::pe
