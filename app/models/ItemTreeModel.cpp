#include "models/ItemTreeModel.h"

#include <QFileInfo>
#include <algorithm>

#include "files/FileInfo.h"
#include "files/FileProperties.h"
#include "files/FileRecord.h"
#include "files/FileTree.h"
#include "files/ItemTree.h"
#include "models/IconCache.h"
#include "shell/QtText.h"
#include "text/Text.h"

namespace tidewell::app {

ItemTreeModel::ItemTreeModel(TreeKind kind, QObject* parent)
    : QAbstractItemModel(parent), kind_(kind), icons_(IconCache::Acquire()) {}

ItemTreeModel::~ItemTreeModel() = default;

void ItemTreeModel::Bind(ItemTree* tree) {
  // The previous tree may be gone already: while the views let go of it, the
  // model answers no node.
  BeginChange();
  tree_ = tree;
  EndChange();
}

void ItemTreeModel::BeginChange() {
  if (changeDepth_++ == 0) {
    beginResetModel();
    sizes_.clear();
  }
}

void ItemTreeModel::EndChange() {
  if (changeDepth_ == 0) return;
  if (--changeDepth_ == 0) endResetModel();
}

TreeNode* ItemTreeModel::NodeOf(const QModelIndex& index) const {
  if (!index.isValid() || !tree_ || Changing() || index.model() != this) return nullptr;
  return static_cast<TreeNode*>(index.internalPointer());
}

int ItemTreeModel::RowOf(const TreeNode* node) const {
  const std::vector<TreeNode*>& siblings = tree_->Children(node->parent);
  // Siblings are sorted by name without regard to case and never share one.
  const auto found = std::lower_bound(
      siblings.begin(), siblings.end(), node, [](const TreeNode* a, const TreeNode* b) {
        return text::CompareNoCase(a->name, b->name) < 0;
      });
  if (found != siblings.end() && *found == node) return static_cast<int>(found - siblings.begin());
  const auto linear = std::find(siblings.begin(), siblings.end(), node);
  return linear == siblings.end() ? -1 : static_cast<int>(linear - siblings.begin());
}

QModelIndex ItemTreeModel::IndexOf(const TreeNode* node) const {
  if (!node || !tree_ || Changing()) return {};
  const int row = RowOf(node);
  if (row < 0) return {};
  return createIndex(row, 0, const_cast<TreeNode*>(node));
}

QModelIndex ItemTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (!tree_ || Changing() || column < 0 || column >= columnCount() || row < 0) return {};
  if (parent.isValid() && parent.model() != this) return {};
  const TreeNode* parentNode = static_cast<const TreeNode*>(parent.internalPointer());
  const std::vector<TreeNode*>& children = tree_->Children(parentNode);
  if (static_cast<size_t>(row) >= children.size()) return {};
  return createIndex(row, column, children[static_cast<size_t>(row)]);
}

QModelIndex ItemTreeModel::parent(const QModelIndex& child) const {
  const TreeNode* node = NodeOf(child);
  if (!node || !node->parent) return {};
  return IndexOf(node->parent);
}

int ItemTreeModel::rowCount(const QModelIndex& parent) const {
  if (!tree_ || Changing() || parent.column() > 0) return 0;
  if (!parent.isValid()) return static_cast<int>(tree_->Children(nullptr).size());
  const TreeNode* node = NodeOf(parent);
  return node ? static_cast<int>(node->children.size()) : 0;
}

int ItemTreeModel::columnCount(const QModelIndex&) const {
  return kind_ == TreeKind::Files ? kFileColumnCount : 1;
}

bool ItemTreeModel::hasChildren(const QModelIndex& parent) const {
  return rowCount(parent) > 0;
}

QVariant ItemTreeModel::IconOf(const TreeNode& node) const {
  if (!node.IsItem()) return icons_->Folder();
  switch (kind_) {
    case TreeKind::Registry: return icons_->ForExtension(QStringLiteral(".reg"));
    case TreeKind::Executions: return icons_->ForExtension(QStringLiteral(".obj"));
    case TreeKind::Files: break;
  }
  const FileRecord* record = FileTree::RecordOf(node);
  if (record && FileTree::IsZipEntry(*record)) {
    // Shown as "readme.txt", or as "Data.zip<readme.txt>" when read back.
    QString name = ToQString(node.name);
    if (name.endsWith(u'>')) name = name.mid(name.indexOf(u'<') + 1).chopped(1);
    return icons_->ForEntryName(name);
  }
  return icons_->ForFile(ToQString(tree_->GetItemDiskPath(node)));
}

QString TargetSystemsText(int mask) {
  if ((mask & OsMask::All) == OsMask::All) return QObject::tr("All");
  QStringList systems;
  for (const OsCheckBox& box : kOsCheckBoxes)
    if (mask & box.bit) systems << ToQString(WString(box.label));
  return systems.isEmpty() ? QObject::tr("None") : systems.join(QStringLiteral(", "));
}

QString ItemTreeModel::SizeText(const TreeNode& node) const {
  const auto cached = sizes_.constFind(&node);
  if (cached != sizes_.constEnd()) return *cached;
  const WString path = tree_->GetItemDiskPath(node);
  QString text;
  if (!path.empty() && path.back() == u'>') {
    // A zip entry: its uncompressed size, read from its archive.
    if (const auto measured = MeasureFile(path, UpdateCondition::Unconditional, true))
      text = ToQString(FormatFileSize(measured->size));
  } else {
    const QFileInfo file(ToQString(path));
    if (file.isFile()) text = ToQString(FormatFileSize(static_cast<uint64_t>(file.size())));
  }
  sizes_.insert(&node, text);
  return text;
}

QVariant ItemTreeModel::FileColumnText(const TreeNode& node, int column) const {
  const FileRecord* record = node.IsItem() ? FileTree::RecordOf(node) : nullptr;
  if (!record) return {};
  switch (column) {
    case kConditionColumn: {
      const auto type = static_cast<size_t>(record->Type);
      return type < kUpdateConditionLabels.size()
                 ? ToQString(WString(kUpdateConditionLabels[type]))
                 : QString::number(static_cast<int>(record->Type));
    }
    case kTargetsColumn: return TargetSystemsText(record->OS);
    case kSizeColumn: return SizeText(node);
    default: return {};
  }
}

QVariant ItemTreeModel::data(const QModelIndex& index, int role) const {
  const TreeNode* node = NodeOf(index);
  if (!node) return {};
  if (index.column() > kNameColumn) {
    if (role == Qt::DisplayRole) return FileColumnText(*node, index.column());
    if (role == Qt::TextAlignmentRole && index.column() == kSizeColumn)
      return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
  }
  switch (role) {
    case Qt::DisplayRole: return ToQString(node->name);
    case Qt::DecorationRole: return IconOf(*node);
    default: return {};
  }
}

QVariant ItemTreeModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case kNameColumn: return tr("Name");
    case kConditionColumn: return ToQString(kUpdateConditionLabel).chopped(1);
    case kTargetsColumn: return tr("Target systems");
    case kSizeColumn: return tr("Size");
    default: return {};
  }
}

Qt::ItemFlags ItemTreeModel::flags(const QModelIndex& index) const {
  if (!NodeOf(index)) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace tidewell::app
