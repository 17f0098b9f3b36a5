#pragma once

#include <string_view>

#include "text/WString.h"

namespace tidewell {

class ItemTree;
struct TreeNode;

// The node a backslash-separated path names, from the top level down, names
// compared without regard to case. A node's own name may hold backslashes (a
// zip entry in a folder, an execution label such as <ApplicationDir>\setup.exe):
// where a component names no child, it is joined with the next ones until a
// child matches. Nullptr when nothing matches.
TreeNode* FindNodeByPath(const ItemTree& tree, std::u16string_view path);

// The path of a node: the names from the top level down, joined by backslashes.
WString NodePath(const TreeNode& node);

}  // namespace tidewell
