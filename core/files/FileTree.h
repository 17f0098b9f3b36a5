#pragma once

#include "files/FileRecord.h"
#include "files/ItemTree.h"

namespace tidewell {

class Prompt;
class ProjectSettings;

// The files a project delivers, under the client directories they go to:
// "Directory" containers and "File" items carrying a FileRecord. Zip entries
// are file nodes below their archive's node.
class FileTree final : public ItemTree {
 public:
  FileTree();

  // Where the base update directory is read from, and who is told when a
  // file cannot be measured. Both may be null (no base, nothing shown).
  void SetContext(const ProjectSettings* settings, Prompt* prompt);

  // The base update directory, then the file's folder, then its name, with
  // doubled separators reduced. A zip entry names its archive followed by
  // "<entry>"; the archive is looked for in its own folder.
  WString GetItemDiskPath(const TreeNode& node) const override;
  // The server form measures every file first, several at a time, and then
  // writes the lines in order; the text is the same as measured one by one.
  bool WriteXml(WString& out, XmlForm form) const override;
  WString ItemAttributes(const TreeNode& node, XmlForm form) const override;
  bool AppendItemAttributes(WString& out, const TreeNode& node, XmlForm form) const override;
  bool AppendReducedItemAttributes(WString& out, const TreeNode& node, XmlForm form) const override;
  TreeNode* CreateItemFromAttributes(const std::vector<XmlAttribute>& attributes,
                                     TreeNode* parent) override;
  TreeNode* CreateItemFromUtf8Attributes(const Utf8Attribute* attributes, size_t count,
                                         TreeNode* parent) override;

  static const FileRecord* RecordOf(const TreeNode& node);
  static FileRecord* RecordOf(TreeNode& node);
  static bool IsZipEntry(const FileRecord& record);

 private:
  // Measures the file of `node` for the server form, or takes the
  // measurement made beforehand by WriteXml.
  bool MeasureForServer(const TreeNode& node, WString& value, int32_t& size) const;

  const ProjectSettings* settings_ = nullptr;
  Prompt* prompt_ = nullptr;
};

// The message shown when a file of the tree cannot be measured.
WString FileErrorMessage(const WString& path);

}  // namespace tidewell
