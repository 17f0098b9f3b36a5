#include "pe/ResourceEdit.h"

#include <algorithm>

#include "text/Text.h"

namespace tidewell::pe {

namespace {

template <typename Node, typename Key>
auto FindNode(std::vector<Node>& nodes, Key key, const ResourceId& id) {
  return std::find_if(nodes.begin(), nodes.end(),
                      [&](const Node& n) { return (n.*key).Matches(id); });
}

}  // namespace

std::optional<EditTree> LoadEditTree(const PeImage& image, const ResourceTree& tree,
                                     std::string* error) {
  if (!tree.problem.empty()) {
    if (error) *error = tree.problem;
    return std::nullopt;
  }
  EditTree edit{tree.header, {}};
  for (const ResourceType& t : tree.types) {
    EditType et{t.type, t.header, {}};
    for (const ResourceName& n : t.names) {
      EditName en{n.name, n.header, {}};
      for (const ResourceLanguage& l : n.languages) {
        const auto bytes = image.ReadRva(l.data.rva, l.data.size);
        if (!bytes) {
          if (error)
            *error = "malformed resource directory: the data of resource " +
                     text::ToUtf8(n.name.ToText()) + " lies outside the file";
          return std::nullopt;
        }
        en.languages.push_back(
            {l.language, l.data.codePage,
             std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size())});
      }
      et.names.push_back(std::move(en));
    }
    edit.types.push_back(std::move(et));
  }
  return edit;
}

void ApplyChange(EditTree& tree, const ResourceId& type, const ResourceId& name, uint16_t language,
                 std::optional<std::string_view> bytes) {
  auto t = FindNode(tree.types, &EditType::type, type);
  if (t == tree.types.end()) {
    if (!bytes) return;
    t = tree.types.insert(tree.types.end(), EditType{type, {}, {}});
  }
  auto n = FindNode(t->names, &EditName::name, name);
  if (n == t->names.end()) {
    if (!bytes) return;
    n = t->names.insert(t->names.end(), EditName{name, {}, {}});
  }
  auto l = std::find_if(n->languages.begin(), n->languages.end(),
                        [&](const EditLanguage& e) { return e.language == language; });
  if (bytes) {
    if (l == n->languages.end())
      n->languages.push_back({language, 0, *bytes});
    else
      l->bytes = *bytes;
    return;
  }
  if (l == n->languages.end()) return;
  n->languages.erase(l);
  if (n->languages.empty()) t->names.erase(n);
  if (t->names.empty()) tree.types.erase(t);
}

void SortForLoader(EditTree& tree) {
  auto byType = [](const EditType& a, const EditType& b) {
    return ResourceOrderLess(a.type, b.type);
  };
  auto byName = [](const EditName& a, const EditName& b) {
    return ResourceOrderLess(a.name, b.name);
  };
  auto byLanguage = [](const EditLanguage& a, const EditLanguage& b) {
    return a.language < b.language;
  };
  std::stable_sort(tree.types.begin(), tree.types.end(), byType);
  for (EditType& t : tree.types) {
    std::stable_sort(t.names.begin(), t.names.end(), byName);
    for (EditName& n : t.names)
      std::stable_sort(n.languages.begin(), n.languages.end(), byLanguage);
  }
}

}  // namespace tidewell::pe
