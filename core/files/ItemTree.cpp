#include "files/ItemTree.h"

#include <new>

#include <pugixml.hpp>

#include "platform/Prompt.h"
#include "project/XmlText.h"
#include "text/Text.h"

namespace tidewell {

using namespace std::literals;

namespace {

const WString kXmlProcessingError = u"Error occured processing XML file.";

void AppendTabs(WString& out, int depth) { out.append(static_cast<size_t>(depth), u'\t'); }

// The number of containers AddDirectoryPath walks or makes for `path`: its
// parts between backslashes, empty ones left out.
size_t PathLevels(std::u16string_view path) {
  size_t levels = 0;
  text::ForEachPathPart(path, u'\\', [&levels](std::u16string_view) {
    ++levels;
    return true;
  });
  return levels;
}

}  // namespace

ItemTree::ItemTree(WString containerElement, WString itemElement)
    : containerElement_(std::move(containerElement)), itemElement_(std::move(itemElement)) {}

ItemTree::~ItemTree() { DestroyNodes(); }

void ItemTree::DestroyNodes() {
  nodes_.ForEachTaken([](char* piece) { reinterpret_cast<TreeNode*>(piece)->~TreeNode(); });
  nodes_.Clear();
}

const std::vector<TreeNode*>& ItemTree::Children(const TreeNode* parent) const {
  return parent ? parent->children : top_;
}

std::vector<TreeNode*>& ItemTree::SiblingsOf(TreeNode* parent) {
  return parent ? parent->children : top_;
}

// Siblings are always sorted and unique, so a binary search finds the same
// place as walking them from the first: after the last smaller name.
std::pair<size_t, bool> ItemTree::LowerBound(const std::vector<TreeNode*>& siblings,
                                             std::u16string_view name) const {
  size_t lo = 0;
  size_t hi = siblings.size();
  // Names read from a file, or listed in order, arrive sorted: check the end first.
  if (hi > 0 && text::CompareNoCase(siblings[hi - 1]->name, name) < 0) return {hi, false};
  while (lo < hi) {
    const size_t mid = lo + (hi - lo) / 2;
    if (text::CompareNoCase(siblings[mid]->name, name) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  const bool equal = lo < siblings.size() && text::CompareNoCase(siblings[lo]->name, name) == 0;
  return {lo, equal};
}

TreeNode* ItemTree::Allocate() {
  ++liveNodes_;
  if (!freeNodes_.empty()) {
    TreeNode* node = freeNodes_.back();
    freeNodes_.pop_back();
    return node;
  }
  return new (nodes_.Take()) TreeNode;
}

void ItemTree::Release(TreeNode* node) {
  --liveNodes_;
  node->name.clear();
  node->record.reset();
  node->parent = nullptr;
  node->children.clear();
  node->kind = NodeKind::Container;
  freeNodes_.push_back(node);
}

TreeNode* ItemTree::InsertNode(TreeNode* parent, NodeKind kind, std::u16string_view name,
                               std::unique_ptr<ItemRecord> record) {
  std::vector<TreeNode*>& siblings = SiblingsOf(parent);
  const auto [pos, equal] = LowerBound(siblings, name);
  if (equal) return nullptr;
  TreeNode* node = Allocate();
  node->name.assign(name);
  node->kind = kind;
  node->record = std::move(record);
  node->parent = parent;
  siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(pos), node);
  return node;
}

TreeNode* ItemTree::InsertItem(TreeNode* parent, const ItemRecord* record,
                               std::u16string_view name) {
  if (FindChild(parent, name)) return nullptr;
  return InsertItem(parent, record ? record->Clone() : nullptr, name);
}

TreeNode* ItemTree::InsertItem(TreeNode* parent, std::unique_ptr<ItemRecord> record,
                               std::u16string_view name) {
  if (record && record->Name.empty()) record->Name.assign(name);
  return InsertNode(parent, NodeKind::Item, name, std::move(record));
}

TreeNode* ItemTree::AddDirectoryPath(std::u16string_view path, TreeNode* parent) {
  const WString reduced = text::ReduceDoubleBackslashes(path);
  TreeNode* current = parent;
  text::ForEachPathPart(reduced, u'\\', [&](std::u16string_view name) {
    std::vector<TreeNode*>& siblings = SiblingsOf(current);
    const auto [pos, equal] = LowerBound(siblings, name);
    current = equal ? siblings[pos] : InsertNode(current, NodeKind::Container, name, nullptr);
    return true;
  });
  return current;
}

const TreeNode* ItemTree::ItemOnPath(std::u16string_view path) const {
  const WString reduced = text::ReduceDoubleBackslashes(path);
  const TreeNode* current = nullptr;
  const TreeNode* item = nullptr;
  text::ForEachPathPart(reduced, u'\\', [&](std::u16string_view name) {
    current = FindChild(current, name);
    if (current && current->IsItem()) item = current;
    return current != nullptr && item == nullptr;  // the rest would be new: containers only
  });
  return item;
}

TreeNode* ItemTree::FindChild(const TreeNode* parent, std::u16string_view name) const {
  const std::vector<TreeNode*>& siblings = Children(parent);
  const auto [pos, equal] = LowerBound(siblings, name);
  return equal ? siblings[pos] : nullptr;
}

void ItemTree::RemoveNode(TreeNode* node) {
  if (!node) return;
  std::vector<TreeNode*>& siblings = SiblingsOf(node->parent);
  for (size_t i = 0; i < siblings.size(); ++i) {
    if (siblings[i] == node) {
      siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  }
  // Release the subtree without recursion: a tree read from a file may be deep.
  std::vector<TreeNode*> pending{node};
  while (!pending.empty()) {
    TreeNode* n = pending.back();
    pending.pop_back();
    pending.insert(pending.end(), n->children.begin(), n->children.end());
    Release(n);
  }
}

void ItemTree::DeleteItem(TreeNode* node) {
  if (!node) return;
  TreeNode* ancestor = node->parent;
  RemoveNode(node);
  // Containers left empty go too. An item ancestor (a zip archive whose last
  // entry was removed) stays: it stands for a file of its own.
  while (ancestor && ancestor->children.empty() && !ancestor->IsItem()) {
    TreeNode* next = ancestor->parent;
    RemoveNode(ancestor);
    ancestor = next;
  }
}

void ItemTree::Clear() {
  top_.clear();
  DestroyNodes();
  freeNodes_.clear();
  liveNodes_ = 0;
}

WString ItemTree::GetItemDiskPath(const TreeNode&) const { return {}; }

bool ItemTree::AppendItemAttributes(WString& out, const TreeNode& node, XmlForm form) const {
  const WString attributes = ItemAttributes(node, form);
  if (attributes.empty()) return false;
  out += attributes;
  return true;
}

bool ItemTree::AppendReducedItemAttributes(WString& out, const TreeNode& node, XmlForm form) const {
  const size_t start = out.size();
  if (!AppendItemAttributes(out, node, form)) return false;
  text::ReducePairsInPlace(out, u' ', start);
  return true;
}

bool ItemTree::WriteXml(WString& out, XmlForm form) const {
  struct Frame {
    const std::vector<TreeNode*>* siblings;
    size_t index;
    int depth;
  };
  // The text before an item's attributes, joined once for all lines.
  const WString itemOpen = u"<" + itemElement_ + u" ";
  std::vector<Frame> stack;
  stack.push_back({&top_, 0, 2});
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.index == frame.siblings->size()) {
      stack.pop_back();
      if (stack.empty()) break;
      Frame& up = stack.back();
      const TreeNode* parent = (*up.siblings)[up.index];
      if (parent->IsItem()) {
        out += u"</"sv;
        out += itemElement_;
        out += u">"sv;
      } else {
        AppendTabs(out, up.depth);
        out += u"</"sv;
        out += containerElement_;
        out += u">"sv;
      }
      out += u"\r\n"sv;
      ++up.index;
      continue;
    }
    const TreeNode* node = (*frame.siblings)[frame.index];
    const int depth = frame.depth;
    AppendTabs(out, depth);
    if (node->IsItem()) {
      out += itemOpen;
      if (!AppendReducedItemAttributes(out, *node, form)) return false;
      if (!node->children.empty()) {
        out += u">"sv;
        stack.push_back({&node->children, 0, depth + 1});
        continue;
      }
      out += u" />\r\n"sv;
      ++frame.index;
      continue;
    }
    out += u"<"sv;
    out += containerElement_;
    out += u" Name=\""sv;
    // The name is cut before escaping, so an entity is never split.
    AppendEscapedXmlText(out, std::u16string_view(node->name).substr(0, kMaxContainerNameLength));
    out += u"\">\r\n"sv;
    stack.push_back({&node->children, 0, depth + 1});
  }
  return true;
}

bool ItemTree::ReadXml(const pugi::xml_node& element, Prompt* prompt) {
  if (!element) {
    if (prompt) prompt->ShowMessage(kErrorCaption, kXmlProcessingError, MessageIcon::Error);
    return false;
  }
  const std::string itemName = text::ToUtf8(itemElement_);
  const std::string containerName = text::ToUtf8(containerElement_);

  // One level: its item children first, then its container children, each in
  // document order. Kept on an explicit stack so deep files cannot overflow.
  struct Frame {
    pugi::xml_node element;
    TreeNode* parent;
    size_t depth;  // levels of the tree down to and including `parent`
    bool readingItems;
    pugi::xml_node cursor;  // next child to read; empty when the phase starts
    bool started;
  };
  auto refuse = [prompt] {
    if (prompt) prompt->ShowMessage(kErrorCaption, kXmlProcessingError, MessageIcon::Error);
    return false;
  };
  std::vector<Frame> stack;
  stack.push_back({element, nullptr, 0, true, {}, false});
  // The attributes of the item being read; set up once, not for every item.
  Utf8Attribute attributes[kMaxAttributes];
  while (!stack.empty()) {
    if (stack.size() > kMaxDepth) return refuse();
    Frame& frame = stack.back();
    const char* wanted = frame.readingItems ? itemName.c_str() : containerName.c_str();
    pugi::xml_node child = frame.started ? frame.cursor.next_sibling(wanted) : frame.element.child(wanted);
    frame.started = true;
    frame.cursor = child;
    if (!child) {
      if (frame.readingItems) {
        frame.readingItems = false;
        frame.started = false;
      } else {
        stack.pop_back();
      }
      continue;
    }
    TreeNode* parent = frame.parent;
    if (frame.readingItems) {
      size_t count = 0;
      for (pugi::xml_attribute a = child.first_attribute(); a && count < kMaxAttributes;
           a = a.next_attribute(), ++count) {
        attributes[count] = {a.name(), a.value()};
      }
      const size_t depth = frame.depth + 1;
      if (depth > kMaxDepth) return refuse();
      TreeNode* node = CreateItemFromUtf8Attributes(attributes, count, parent);
      // Most items have no content: nothing under them to read.
      if (node && child.first_child()) stack.push_back({child, node, depth, true, {}, false});
    } else {
      const pugi::xml_attribute nameAttribute = child.attribute("Name");
      const char* name = nameAttribute ? nameAttribute.value() : "";
      if (*name == '\0') continue;
      // One name may hold a whole backslash path, each part a level of its
      // own: the depth limit counts those levels too.
      const WString path = text::FromUtf8(name);
      const size_t depth = frame.depth + PathLevels(path);
      if (depth > kMaxDepth) return refuse();
      TreeNode* node = AddDirectoryPath(path, parent);
      stack.push_back({child, node, depth, true, {}, false});
    }
  }
  return true;
}

std::u16string_view ItemTree::WrittenName(std::u16string_view name) {
  const size_t lt = text::FindUnit(name, u'<');
  if (lt == std::u16string_view::npos) return name;
  name.remove_prefix(lt + 1);
  while (!name.empty() && name.back() == u'>') name.remove_suffix(1);
  return name;
}

void ItemTree::AppendCommonAttributes(WString& out, const ItemRecord& record, XmlForm form) {
  // Name first, OS unless it is 31; with OS 0 or less the server form writes
  // neither. The name is what follows the first "<", without trailing ">".
  if (record.OS <= 0 && form == XmlForm::ServerForm) return;
  const std::u16string_view name = WrittenName(record.Name);
  out += u"Name=\""sv;
  AppendEscapedXmlText(out, name);
  out += u'"';
  if (record.OS != 31) {
    out += u"  OS=\""sv;
    out += text::FormatDecimal(record.OS);
    out += u'"';
  }
}

WString ItemTree::CommonAttributes(const ItemRecord& record, XmlForm form) {
  WString out;
  AppendCommonAttributes(out, record, form);
  return out;
}

TreeNode* ItemTree::CreateItemFromUtf8Attributes(const Utf8Attribute* attributes, size_t count,
                                                 TreeNode* parent) {
  std::vector<XmlAttribute> wide(count);
  for (size_t i = 0; i < count; ++i) {
    text::AssignUtf8(wide[i].first, attributes[i].first);
    text::AssignUtf8(wide[i].second, attributes[i].second);
  }
  return CreateItemFromAttributes(wide, parent);
}

void ItemTree::ReadCommonAttributes(const std::vector<XmlAttribute>& attributes,
                                    ItemRecord& record) {
  for (const auto& [name, value] : attributes) {
    if (text::EqualsNoCase(name, u"Name"))
      record.Name = value;
    else if (text::EqualsNoCase(name, u"OS"))
      record.OS = text::ParseDecimal(value);
  }
}

}  // namespace tidewell
