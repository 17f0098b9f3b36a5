#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "files/XmlForm.h"
#include "platform/LargeMemory.h"
#include "text/SmallText.h"
#include "text/WString.h"

namespace pugi {
class xml_node;
}

namespace tidewell {

class Prompt;

// The fields every item record starts with, in this order: what lets one pair
// of common-attribute routines serve file and registry items alike.
struct ItemRecord {
  SmallText Name;
  int32_t OS = 31;

  virtual ~ItemRecord() = default;
  virtual std::unique_ptr<ItemRecord> Clone() const = 0;
};

enum class NodeKind { Container, Item };

struct TreeNode {
  SmallText name;
  NodeKind kind = NodeKind::Container;
  std::unique_ptr<ItemRecord> record;  // item nodes only; may be empty
  TreeNode* parent = nullptr;
  std::vector<TreeNode*> children;  // sorted by name without regard to case

  bool IsItem() const { return kind == NodeKind::Item; }
};

// One attribute of an element, name and value, in document order.
using XmlAttribute = std::pair<WString, WString>;
// The same as the parser delivers it: UTF-8 views into the loaded document.
using Utf8Attribute = std::pair<std::string_view, std::string_view>;

// The generic ordered tree of container and item nodes. Siblings are kept
// sorted by name (A-Z folded to a-z, then code units) and never share a name.
// Nodes live in the tree's own storage, so neither a deep nor a wide tree
// recurses on the stack when it is built, written or destroyed.
class ItemTree {
 public:
  ItemTree(WString containerElement, WString itemElement);
  virtual ~ItemTree();
  ItemTree(const ItemTree&) = delete;
  ItemTree& operator=(const ItemTree&) = delete;

  const WString& ContainerElement() const { return containerElement_; }
  const WString& ItemElement() const { return itemElement_; }

  // The children of `parent`, or the top-level nodes for nullptr.
  const std::vector<TreeNode*>& Children(const TreeNode* parent) const;
  bool Empty() const { return top_.empty(); }
  size_t NodeCount() const { return liveNodes_; }

  // Inserts an item node in name order; nullptr when a sibling of equal name
  // exists. The node takes a copy of the record; an empty record Name becomes
  // the shown name.
  TreeNode* InsertItem(TreeNode* parent, const ItemRecord* record, std::u16string_view name);
  // The same, handing the record over instead of copying it.
  TreeNode* InsertItem(TreeNode* parent, std::unique_ptr<ItemRecord> record, std::u16string_view name);
  // The container node for the backslash-separated `path` below `parent`,
  // creating what is missing. Any length is accepted.
  TreeNode* AddDirectoryPath(std::u16string_view path, TreeNode* parent);
  // The item node that the backslash-separated `path`, from the top, runs
  // into or ends at; nullptr when every part is a container or not there yet.
  const TreeNode* ItemOnPath(std::u16string_view path) const;
  // The child of `parent` whose name equals `name` without regard to case.
  TreeNode* FindChild(const TreeNode* parent, std::u16string_view name) const;

  // Removes `node` with its subtree, then every ancestor left without children.
  void DeleteItem(TreeNode* node);
  // Removes `node` with its subtree and nothing else.
  void RemoveNode(TreeNode* node);
  void Clear();

  // Appends the whole tree; false when an item's attribute text is empty.
  virtual bool WriteXml(WString& out, XmlForm form) const;
  // Reads the item and container children of `element` into the tree. The
  // caller clears the tree first. False, after the "Error occured processing
  // XML file." message, when the document cannot be walked.
  bool ReadXml(const pugi::xml_node& element, Prompt* prompt = nullptr);

  virtual WString GetItemDiskPath(const TreeNode& node) const;
  virtual WString ItemAttributes(const TreeNode& node, XmlForm form) const = 0;
  // Appends ItemAttributes(node, form) to `out`; false, with `out` as it was,
  // when that text is empty. A tree may write straight into `out` instead of
  // building the text on its own.
  virtual bool AppendItemAttributes(WString& out, const TreeNode& node, XmlForm form) const;
  // Appends the attribute text as the element's line holds it: each pair of
  // blanks made one. The default reduces what AppendItemAttributes wrote; a
  // tree may write the reduced text directly.
  virtual bool AppendReducedItemAttributes(WString& out, const TreeNode& node, XmlForm form) const;
  virtual TreeNode* CreateItemFromAttributes(const std::vector<XmlAttribute>& attributes,
                                             TreeNode* parent) = 0;
  // What the reader calls for each item element. The default widens the
  // attributes and calls CreateItemFromAttributes; a tree read in bulk may
  // work on the parser's text directly.
  virtual TreeNode* CreateItemFromUtf8Attributes(const Utf8Attribute* attributes, size_t count,
                                                 TreeNode* parent);

  static WString CommonAttributes(const ItemRecord& record, XmlForm form);
  // Appends exactly the text of CommonAttributes.
  static void AppendCommonAttributes(WString& out, const ItemRecord& record, XmlForm form);
  static void ReadCommonAttributes(const std::vector<XmlAttribute>& attributes,
                                   ItemRecord& record);

  // Only the first ten attributes of an element are read.
  static constexpr size_t kMaxAttributes = 10;
  // Deeper documents are refused: each level is indented by one more tab, so
  // their text would grow with the square of the depth. Real client paths
  // stay far below it.
  static constexpr size_t kMaxDepth = 4096;
  // A container name is written with at most this many characters.
  static constexpr size_t kMaxContainerNameLength = 254;

 protected:
  // The name an item's line is written with: what follows the first "<" (an
  // archive entry's own name), without trailing ">".
  static std::u16string_view WrittenName(std::u16string_view name);
  // Inserts a node of either kind at its sorted place among the siblings.
  TreeNode* InsertNode(TreeNode* parent, NodeKind kind, std::u16string_view name,
                       std::unique_ptr<ItemRecord> record);

 private:
  std::vector<TreeNode*>& SiblingsOf(TreeNode* parent);
  // Position of the first sibling not smaller than `name`, and whether it is equal.
  std::pair<size_t, bool> LowerBound(const std::vector<TreeNode*>& siblings,
                                     std::u16string_view name) const;
  TreeNode* Allocate();
  void Release(TreeNode* node);

  WString containerElement_;
  WString itemElement_;
  std::vector<TreeNode*> top_;
  // Nodes are made in blocks that grow with the tree and never move, so
  // pointers to them stay valid; every node cut is constructed, and a
  // released node waits in freeNodes_ to be used again.
  static constexpr size_t kFirstBlockNodes = 256;
  void DestroyNodes();
  memory::PieceBlocks nodes_{sizeof(TreeNode), kFirstBlockNodes * sizeof(TreeNode)};
  std::vector<TreeNode*> freeNodes_;
  size_t liveNodes_ = 0;
};

}  // namespace tidewell
