#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "files/FileRecord.h"
#include "platform/Prompt.h"
#include "text/WString.h"

namespace tidewell {

class FileTree;
struct TreeNode;

// Texts of the "File update properties" sheet, in the order shown.
inline const WString kFilePropertiesTitle = u"File update properties";
inline const WString kGeneralPageTitle = u"General";
inline const WString kActionsPageTitle = u"Actions";
inline const WString kTargetSystemsText = u"Select the operating systems to target:";
inline const WString kUpdateConditionLabel = u"Update condition:";
inline const WString kClientActionsLabel = u"Client actions:";
inline const WString kUnzipCheckBoxLabel = u"Unzip this file";
struct OsCheckBox {
  std::u16string_view label;
  int32_t bit;
};
inline constexpr std::array<OsCheckBox, 5> kOsCheckBoxes = {{
    {u"WinXP", OsMask::WinXP},
    {u"Win2000", OsMask::Win2000},
    {u"WinNT", OsMask::WinNT},
    {u"Win98", OsMask::Win98},
    {u"Win95", OsMask::Win95},
}};
// Indexed by the UpdateCondition value.
inline constexpr std::array<std::u16string_view, 3> kUpdateConditionLabels = {
    u"Unconditional", u"Time-stamp based", u"Version based"};

// The three properties the sheet edits.
struct FileProperties {
  int32_t os = OsMask::All;
  UpdateCondition condition = UpdateCondition::TimeStampBased;
  bool unzip = false;

  static FileProperties Of(const FileRecord& record);
};

// What the sheet learns about the file when it opens.
struct FilePropertiesProbe {
  bool isZip = false;       // the file opens as a zip archive
  bool hasVersion = false;  // the file has version information
};

// A double-click on an archive whose entries are shown only opens or closes
// it; the menu command always opens the sheet. A folder has no sheet.
bool OpensFileProperties(const TreeNode& node, bool fromCommand);
FilePropertiesProbe ProbeFileProperties(const FileTree& tree, const TreeNode& node);

// While the sheet is open: "Version based" needs version information and
// "Unzip this file" a zip archive. Each refusal shows its message; the front
// end then puts the control back ("Unconditional", unchecked).
bool AcceptCondition(const FilePropertiesProbe& probe, UpdateCondition condition, Prompt& prompt);
bool AcceptUnzip(const FilePropertiesProbe& probe, bool unzip, Prompt& prompt);

// What OK changed in the tree.
struct FilePropertiesChange {
  size_t entriesAdded = 0;
  size_t entriesRemoved = 0;
  // The archive could not be listed: unzip was switched back off.
  bool unzipFailed = false;
};

// OK: the node's record takes the chosen values. Switching unzip on lists the
// archive and adds one child per file entry, in name order (folder entries
// and names already present are skipped), each a copy of the archive's new
// record with Src "zip" and Name archive<entry>. When the archive cannot be
// opened or an entry cannot be read (an archive without entries included),
// its message is shown, unzip goes back off and no entry stays, so that
// entries exist exactly while their archive is unzipped. Switching unzip off
// removes every child.
FilePropertiesChange ApplyFileProperties(FileTree& tree, TreeNode& node,
                                         const FileProperties& chosen, Prompt& prompt);

}  // namespace tidewell
