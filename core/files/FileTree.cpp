#include "files/FileTree.h"

#include "files/FileInfo.h"
#include "platform/Prompt.h"
#include "project/ProjectSettings.h"
#include "project/XmlText.h"
#include "text/Text.h"

namespace tidewell {

using namespace std::literals;

namespace {

// Appends a client folder with the host's separator in place of backslashes.
void AppendClientFolderAsHost(WString& out, std::u16string_view folder) {
  const size_t start = out.size();
  out.append(folder);
  for (size_t i = start; i < out.size(); ++i)
    if (out[i] == text::kClientSeparator) out[i] = text::kHostSeparator;
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

namespace {
// Inside the file tree every record is a FileRecord.
const FileRecord* OwnRecord(const TreeNode& node) { return static_cast<const FileRecord*>(node.record.get()); }
}  // namespace

FileRecord* FileTree::RecordOf(TreeNode& node) { return dynamic_cast<FileRecord*>(node.record.get()); }

bool FileTree::IsZipEntry(const FileRecord& record) { return text::EqualsNoCase(record.Src, u"zip"); }

WString FileTree::GetItemDiskPath(const TreeNode& node) const {
  const FileRecord* record = RecordOf(node);
  if (!record) return {};
  const std::u16string_view base =
      settings_ ? std::u16string_view(settings_->RawValue(SettingKey::UpdateFilesDir)) : u"";
  std::u16string_view folder = u"\\";
  if (IsZipEntry(*record)) {
    // The entry's own Src only says "zip"; its archive lies in the archive's folder.
    const FileRecord* archive = node.parent ? RecordOf(*node.parent) : nullptr;
    if (archive && !IsZipEntry(*archive) && !archive->Src.empty()) folder = archive->Src;
  } else {
    folder = record->Src;
  }
  WString path;
  path.reserve(base.size() + folder.size() + record->Name.size());
  path.append(base);
  AppendClientFolderAsHost(path, folder);
  path += record->Name;
  text::ReducePairsInPlace(path, text::kHostSeparator);
  return path;
}

WString FileTree::ItemAttributes(const TreeNode& node, XmlForm form) const {
  WString out;
  AppendItemAttributes(out, node, form);
  return out;
}

// The parts in their order: common, size, action, condition, Src, joined by
// one blank each (the tree writer then reduces doubled blanks).
bool FileTree::AppendItemAttributes(WString& out, const TreeNode& node, XmlForm form) const {
  const FileRecord* record = OwnRecord(node);
  if (!record || record->Src.empty()) return false;

  WString measured;
  int32_t size = 0;
  if (form == XmlForm::ServerForm) {
    const WString path = GetItemDiskPath(node);
    if (!ReadFileInfo(path, measured, size, record->Type, false)) {
      if (prompt_) prompt_->ShowMessage(kErrorCaption, FileErrorMessage(path), MessageIcon::Error);
      return false;
    }
  }

  AppendCommonAttributes(out, *record, form);
  out += u' ';
  if (form == XmlForm::ServerForm && !IsZipEntry(*record)) {
    out += u"Size=\""sv;
    out += text::FormatDecimal(size);
    out += u'"';
  }
  out += u' ';
  if (record->Unzip != 0) out += u"Action=\"unzip\""sv;
  out += u' ';
  if (form == XmlForm::ProjectForm) {
    if (record->Type == UpdateCondition::VersionBased)
      out += u"Type=\"ver\""sv;
    else if (record->Type == UpdateCondition::TimeStampBased)
      out += u"Type=\"date\""sv;
  } else if (record->Type != UpdateCondition::Unconditional) {
    out += u"Mode=\""sv;
    out += measured;
    out += u"\" "sv;
  }
  out += u" Src=\""sv;
  AppendEscapedXmlText(out, record->Src);
  out += u'"';
  return true;
}

TreeNode* FileTree::CreateItemFromAttributes(const std::vector<XmlAttribute>& attributes,
                                             TreeNode* parent) {
  std::vector<std::string> narrow;
  narrow.reserve(attributes.size() * 2);
  for (const auto& [name, value] : attributes) {
    narrow.push_back(text::ToUtf8(name));
    narrow.push_back(text::ToUtf8(value));
  }
  std::vector<Utf8Attribute> views;
  for (size_t i = 0; i + 1 < narrow.size(); i += 2) views.emplace_back(narrow[i], narrow[i + 1]);
  return CreateItemFromUtf8Attributes(views.data(), views.size(), parent);
}

// A file element: Name and OS first (as for every item), then, in order,
// Type ("ver" or "date" exactly), Src ("zip" in any case marks an entry of
// the parent archive) and Action ("unzip" exactly). Attribute names are
// matched without regard to case; other attributes (Size, Mode) are ignored.
TreeNode* FileTree::CreateItemFromUtf8Attributes(const Utf8Attribute* attributes, size_t count,
                                                 TreeNode* parent) {
  auto owned = std::make_unique<FileRecord>();
  FileRecord& record = *owned;
  record.Type = UpdateCondition::Unconditional;
  for (size_t i = 0; i < count; ++i) {
    const auto& [name, value] = attributes[i];
    if (text::EqualsNoCaseAscii(name, "Name"))
      text::AssignUtf8(record.Name, value);
    else if (text::EqualsNoCaseAscii(name, "OS"))
      record.OS = text::ParseDecimal(value);
  }
  for (size_t i = 0; i < count; ++i) {
    const auto& [name, value] = attributes[i];
    if (text::EqualsNoCaseAscii(name, "Type")) {
      if (value == "ver")
        record.Type = UpdateCondition::VersionBased;
      else if (value == "date")
        record.Type = UpdateCondition::TimeStampBased;
    } else if (text::EqualsNoCaseAscii(name, "Src")) {
      text::AssignUtf8(record.Src, value);
      const FileRecord* archive = parent ? RecordOf(*parent) : nullptr;
      if (text::EqualsNoCaseAscii(value, "zip") && parent && parent->IsItem() && archive)
        record.Name = archive->Name + u"<" + record.Name + u">";
    } else if (text::EqualsNoCaseAscii(name, "Action")) {
      if (value == "unzip") record.Unzip = 1;
    }
  }
  // The record keeps its address when handed over, so its name can be shown.
  const std::u16string_view shown = record.Name;
  return InsertItem(parent, std::move(owned), shown);
}

}  // namespace tidewell
