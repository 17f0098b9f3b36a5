#pragma once

#include <vector>

#include "files/ItemTree.h"

namespace tidewell {

// The registry changes of a project: key nodes ("Key" elements) holding
// operation nodes ("Value" elements) that carry a RegistryOperation. Written
// and read by the generic tree code; only the attributes of an operation are
// its own.
class RegistryTree final : public ItemTree {
 public:
  RegistryTree();

  // Name and OS, then Action="verb type data" (escaped) and one blank.
  WString ItemAttributes(const TreeNode& node, XmlForm form) const override;
  // An operation from a Value element. The Action value is split at its first
  // two blanks: verb, type, and everything after the second blank as data.
  TreeNode* CreateItemFromAttributes(const std::vector<XmlAttribute>& attributes,
                                     TreeNode* parent) override;
};

}  // namespace tidewell
