#include "pe/PeResourceReader.h"

#include "pe/ResourceParser.h"

namespace tidewell::pe {

std::optional<PeResourceReader> PeResourceReader::Open(const std::filesystem::path& file,
                                                       std::string* error) {
  auto mapped = MappedFile::Open(file, error);
  if (!mapped) return std::nullopt;
  auto image = PeImage::Parse(mapped->Bytes(), error);
  if (!image) return std::nullopt;
  auto tree = ParseResources(*image, error);
  if (!tree) return std::nullopt;
  return PeResourceReader(std::move(*mapped), std::move(*image), std::move(*tree));
}

std::vector<ResourceId> PeResourceReader::Types() const {
  std::vector<ResourceId> types;
  for (const ResourceType& t : tree_.types) types.push_back(t.type);
  return types;
}

std::vector<ResourceId> PeResourceReader::Names(const ResourceId& type) const {
  std::vector<ResourceId> names;
  if (const ResourceType* t = FindType(type))
    for (const ResourceName& n : t->names) names.push_back(n.name);
  return names;
}

std::vector<uint16_t> PeResourceReader::Languages(const ResourceId& type,
                                                  const ResourceId& name) const {
  std::vector<uint16_t> languages;
  if (const ResourceName* n = FindName(type, name))
    for (const ResourceLanguage& l : n->languages) languages.push_back(l.language);
  return languages;
}

std::optional<std::string> PeResourceReader::Read(const ResourceId& type, const ResourceId& name,
                                                  uint16_t language) const {
  const ResourceName* n = FindName(type, name);
  if (!n) return std::nullopt;
  for (const ResourceLanguage& l : n->languages)
    if (l.language == language) return ReadData(l.data);
  return std::nullopt;
}

std::optional<FoundResource> PeResourceReader::Find(const ResourceId& type,
                                                    std::u16string_view nameText,
                                                    std::optional<uint16_t> language) const {
  const ResourceName* n = FindName(type, ResourceId::FromText(nameText));
  if (!n || n->languages.empty()) return std::nullopt;
  const ResourceLanguage* chosen = nullptr;
  for (const ResourceLanguage& l : n->languages)
    if (language && l.language == *language) chosen = &l;
  for (const ResourceLanguage& l : n->languages)
    if (!chosen && l.language == 0) chosen = &l;
  if (!chosen) chosen = &n->languages.front();
  auto bytes = ReadData(chosen->data);
  if (!bytes) return std::nullopt;
  return FoundResource{n->name, chosen->language, std::move(*bytes)};
}

const ResourceType* PeResourceReader::FindType(const ResourceId& type) const {
  for (const ResourceType& t : tree_.types)
    if (t.type.Matches(type)) return &t;
  return nullptr;
}

const ResourceName* PeResourceReader::FindName(const ResourceId& type,
                                               const ResourceId& name) const {
  const ResourceType* t = FindType(type);
  if (!t) return nullptr;
  for (const ResourceName& n : t->names)
    if (n.name.Matches(name)) return &n;
  return nullptr;
}

std::optional<std::string> PeResourceReader::ReadData(const ResourceData& data) const {
  const auto bytes = image_.ReadRva(data.rva, data.size);
  if (!bytes) return std::nullopt;
  return std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size());
}

}  // namespace tidewell::pe
