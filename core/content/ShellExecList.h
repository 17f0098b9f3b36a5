#pragma once

#include <vector>

#include "files/ItemTree.h"

namespace tidewell {

// The files the update client starts during an update. Two levels: one
// container node per execution point in use, labelled with the point's name,
// and below it one item node per file, labelled directory placeholder + "\" +
// file name. Items carry no record. Read by the generic tree code; written as
// flat Execute lines of its own.
class ShellExecList final : public ItemTree {
 public:
  ShellExecList();

  // One line per entry, two tabs deep in any form. False, with `out`
  // unchanged, when a top-level node is not one of the execution points.
  bool WriteXml(WString& out, XmlForm form) const override;

  // Never asked for: the list writes its own lines.
  WString ItemAttributes(const TreeNode& node, XmlForm form) const override;
  // An entry from an Execute element: the exact-case attributes Point and
  // File. A point number outside 1 to 4 files the entry under "Installation
  // complete". The entry goes under its point at the top level, whatever
  // element encloses it.
  TreeNode* CreateItemFromAttributes(const std::vector<XmlAttribute>& attributes,
                                     TreeNode* parent) override;
};

}  // namespace tidewell
