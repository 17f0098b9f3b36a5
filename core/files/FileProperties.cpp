#include "files/FileProperties.h"

#include <vector>

#include "files/FileInfo.h"
#include "files/FileTree.h"
#include "files/ZipArchive.h"

namespace tidewell {

namespace {

const WString kUpdateTypeCaption = u"Update type";
const WString kNoVersion = u"No version information exists for this file.";
const WString kZipErrorCaption = u"Zip error";
const WString kCannotUnzip =
    u"This file cannot be unzipped. It may not be a zip file, or the file is corrupt.";
const WString kUnzipNotPossibleCaption = u"Unzip not possible";
const WString kCannotOpenArchive =
    u"This file cannot be unzipped. File errors may exist or it is not an appropriate zip format.";
const WString kCannotReadEntries = u"Error occured trying to read zip file information.";

void RemoveChildren(FileTree& tree, TreeNode& node, size_t& removed) {
  while (!node.children.empty()) {
    tree.RemoveNode(node.children.back());
    ++removed;
  }
}

}  // namespace

FileProperties FileProperties::Of(const FileRecord& record) {
  return {record.OS, record.Type, record.Unzip != 0};
}

bool OpensFileProperties(const TreeNode& node, bool fromCommand) {
  const FileRecord* record = FileTree::RecordOf(node);
  if (!record) return false;
  return fromCommand || !(record->Unzip == 1 && !node.children.empty());
}

FilePropertiesProbe ProbeFileProperties(const FileTree& tree, const TreeNode& node) {
  FilePropertiesProbe probe;
  const WString path = tree.GetItemDiskPath(node);
  if (path.empty()) return probe;
  ZipArchive archive;
  probe.isZip = archive.Open(path);
  archive.Close();
  WString version;
  int32_t size = 0;
  probe.hasVersion = ReadFileInfo(path, version, size, UpdateCondition::VersionBased, false);
  return probe;
}

bool AcceptCondition(const FilePropertiesProbe& probe, UpdateCondition condition, Prompt& prompt) {
  if (condition != UpdateCondition::VersionBased || probe.hasVersion) return true;
  prompt.ShowMessage(kUpdateTypeCaption, kNoVersion, MessageIcon::Error);
  return false;
}

bool AcceptUnzip(const FilePropertiesProbe& probe, bool unzip, Prompt& prompt) {
  if (!unzip || probe.isZip) return true;
  prompt.ShowMessage(kZipErrorCaption, kCannotUnzip, MessageIcon::Error);
  return false;
}

FilePropertiesChange ApplyFileProperties(FileTree& tree, TreeNode& node,
                                         const FileProperties& chosen, Prompt& prompt) {
  FilePropertiesChange change;
  FileRecord* record = FileTree::RecordOf(node);
  if (!record) return change;
  const bool wasUnzipped = record->Unzip != 0;
  record->OS = chosen.os;
  record->Type = chosen.condition;
  record->Unzip = chosen.unzip ? 1 : 0;

  if (wasUnzipped && !chosen.unzip) {
    RemoveChildren(tree, node, change.entriesRemoved);
    return change;
  }
  if (wasUnzipped || !chosen.unzip) return change;

  std::vector<TreeNode*> added;
  auto fail = [&](const WString& text) {
    prompt.ShowMessage(kUnzipNotPossibleCaption, text, MessageIcon::Error);
    record->Unzip = 0;
    for (TreeNode* entryNode : added) tree.RemoveNode(entryNode);
    change.entriesAdded = 0;
    change.unzipFailed = true;
    return change;
  };
  ZipArchive archive;
  if (!archive.Open(tree.GetItemDiskPath(node))) return fail(kCannotOpenArchive);
  FileRecord entryRecord = *record;
  entryRecord.Src = u"zip";
  ZipEntry entry;
  bool more = archive.GoToFirstFile();
  if (!more) return fail(kCannotReadEntries);
  while (more) {
    if (!archive.GetCurrentFileInfo(entry)) return fail(kCannotReadEntries);
    if (!entry.isDirectory) {
      entryRecord.Name = record->Name + u"<" + entry.name + u">";
      if (TreeNode* entryNode = tree.InsertItem(&node, &entryRecord, entry.name)) {
        added.push_back(entryNode);
        ++change.entriesAdded;
      }
    }
    more = archive.GoToNextFile();
  }
  archive.Close();
  return change;
}

}  // namespace tidewell
