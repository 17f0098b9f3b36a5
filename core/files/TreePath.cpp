#include "files/TreePath.h"

#include <vector>

#include "files/ItemTree.h"

namespace tidewell {

namespace {

std::vector<std::u16string_view> SplitAtBackslashes(std::u16string_view path) {
  std::vector<std::u16string_view> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// Below `parent`, the node named by parts[first..]; the shortest match of
// each level is tried first, then longer ones.
TreeNode* FindFrom(const ItemTree& tree, const TreeNode* parent, std::u16string_view path,
                   const std::vector<std::u16string_view>& parts, size_t first) {
  if (first == parts.size()) return nullptr;
  const char16_t* begin = parts[first].data();
  for (size_t last = first; last < parts.size(); ++last) {
    const char16_t* end = parts[last].data() + parts[last].size();
    const std::u16string_view name(begin, static_cast<size_t>(end - begin));
    TreeNode* child = tree.FindChild(parent, name);
    if (!child) continue;
    if (last + 1 == parts.size()) return child;
    if (TreeNode* found = FindFrom(tree, child, path, parts, last + 1)) return found;
  }
  return nullptr;
}

}  // namespace

TreeNode* FindNodeByPath(const ItemTree& tree, std::u16string_view path) {
  // Leading and trailing backslashes name nothing.
  while (!path.empty() && path.front() == u'\\') path.remove_prefix(1);
  while (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
  if (path.empty()) return nullptr;
  return FindFrom(tree, nullptr, path, SplitAtBackslashes(path), 0);
}

WString NodePath(const TreeNode& node) {
  std::vector<const TreeNode*> chain;
  for (const TreeNode* n = &node; n; n = n->parent) chain.push_back(n);
  WString path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    if (!path.empty()) path += u'\\';
    path += (*it)->name;
  }
  return path;
}

}  // namespace tidewell
