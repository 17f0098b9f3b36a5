#include "files/FileTree.h"

#include "files/FileInfo.h"
#include "platform/Prompt.h"
#include "project/ProjectSettings.h"
#include "project/XmlText.h"
#include "text/Text.h"

namespace tidewell {

namespace {

// Client folders use backslashes; on the host they become its separator.
WString ClientFolderToHost(std::u16string_view folder) {
  WString out(folder);
  for (auto& c : out)
    if (c == text::kClientSeparator) c = text::kHostSeparator;
  return out;
}

}  // namespace

WString FileErrorMessage(const WString& path) {
  return u"File error occured:\r\n" + path +
         u"\r\n\r\nThe file may no longer exist or has errors. Verify file on drive.";
}

FileTree::FileTree() : ItemTree(u"Directory", u"File") {}

void FileTree::SetContext(const ProjectSettings* settings, Prompt* prompt) {
  settings_ = settings;
  prompt_ = prompt;
}

const FileRecord* FileTree::RecordOf(const TreeNode& node) {
  return dynamic_cast<const FileRecord*>(node.record.get());
}

FileRecord* FileTree::RecordOf(TreeNode& node) { return dynamic_cast<FileRecord*>(node.record.get()); }

bool FileTree::IsZipEntry(const FileRecord& record) { return text::EqualsNoCase(record.Src, u"zip"); }

WString FileTree::GetItemDiskPath(const TreeNode& node) const {
  const FileRecord* record = RecordOf(node);
  if (!record) return {};
  WString path = settings_ ? settings_->RawValue(SettingKey::UpdateFilesDir) : WString();
  WString folder = u"\\";
  if (IsZipEntry(*record)) {
    // The entry's own Src only says "zip"; its archive lies in the archive's folder.
    const FileRecord* archive = node.parent ? RecordOf(*node.parent) : nullptr;
    if (archive && !IsZipEntry(*archive) && !archive->Src.empty()) folder = archive->Src;
  } else {
    folder = record->Src;
  }
  path += ClientFolderToHost(folder);
  path += record->Name;
  return text::ReduceDoubleSeparators(path);
}

WString FileTree::ItemAttributes(const TreeNode& node, XmlForm form) const {
  const FileRecord* record = RecordOf(node);
  if (!record || record->Src.empty()) return {};

  WString srcPart = u"Src=\"";
  AppendEscapedXmlText(srcPart, record->Src);
  srcPart += u"\"";
  const WString actionPart = record->Unzip != 0 ? WString(u"Action=\"unzip\"") : WString();

  WString conditionPart;
  WString sizePart;
  if (form == XmlForm::ProjectForm) {
    if (record->Type == UpdateCondition::VersionBased)
      conditionPart = u"Type=\"ver\"";
    else if (record->Type == UpdateCondition::TimeStampBased)
      conditionPart = u"Type=\"date\"";
  } else {
    const WString path = GetItemDiskPath(node);
    WString value;
    int32_t size = 0;
    if (!ReadFileInfo(path, value, size, record->Type, false)) {
      if (prompt_) prompt_->ShowMessage(kErrorCaption, FileErrorMessage(path), MessageIcon::Error);
      return {};
    }
    if (record->Type != UpdateCondition::Unconditional) conditionPart = u"Mode=\"" + value + u"\" ";
    if (!IsZipEntry(*record)) sizePart = u"Size=\"" + text::FormatDecimal(size) + u"\"";
  }

  WString result = CommonAttributes(*record, form);
  result += u' ';
  result += sizePart;
  result += u' ';
  result += actionPart;
  result += u' ';
  result += conditionPart;
  result += u' ';
  result += srcPart;
  return result;
}

TreeNode* FileTree::CreateItemFromAttributes(const std::vector<XmlAttribute>& attributes,
                                             TreeNode* parent) {
  FileRecord record;
  record.Type = UpdateCondition::Unconditional;
  ReadCommonAttributes(attributes, record);
  for (const auto& [name, value] : attributes) {
    if (text::EqualsNoCase(name, u"Type")) {
      if (value == u"ver")
        record.Type = UpdateCondition::VersionBased;
      else if (value == u"date")
        record.Type = UpdateCondition::TimeStampBased;
    } else if (text::EqualsNoCase(name, u"Src")) {
      record.Src = value;
      const FileRecord* archive = parent ? RecordOf(*parent) : nullptr;
      if (text::EqualsNoCase(value, u"zip") && parent && parent->IsItem() && archive)
        record.Name = archive->Name + u"<" + record.Name + u">";
    } else if (text::EqualsNoCase(name, u"Action")) {
      if (value == u"unzip") record.Unzip = 1;
    }
  }
  return InsertItem(parent, &record, record.Name);
}

}  // namespace tidewell
