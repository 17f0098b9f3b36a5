#include "content/ShellExecList.h"

#include <optional>

#include "content/ShellExecChoices.h"
#include "project/XmlText.h"
#include "text/Text.h"

namespace tidewell {

namespace {

std::optional<int32_t> PointNumber(std::u16string_view label) {
  for (const ExecutionPoint& point : kExecutionPoints)
    if (point.name == label) return point.number;
  return std::nullopt;
}

std::u16string_view PointName(int32_t number) {
  for (const ExecutionPoint& point : kExecutionPoints)
    if (point.number == number) return point.name;
  return kFallbackExecutionPoint;
}

}  // namespace

ShellExecList::ShellExecList() : ItemTree(u"RunAt", u"Execute") {}

bool ShellExecList::WriteXml(WString& out, XmlForm) const {
  WString lines;
  for (const TreeNode* point : Children(nullptr)) {
    const std::optional<int32_t> number = PointNumber(point->name);
    if (!number) return false;
    const WString numberText = text::FormatDecimal(*number);
    for (const TreeNode* entry : Children(point)) {
      lines += u"\t\t<";
      lines += ItemElement();
      lines += u" Point=\"";
      lines += numberText;
      lines += u"\" File=\"";
      lines += EscapeXmlText(entry->name);
      lines += u"\" />\r\n";
    }
  }
  out += lines;
  return true;
}

WString ShellExecList::ItemAttributes(const TreeNode&, XmlForm) const { return {}; }

TreeNode* ShellExecList::CreateItemFromAttributes(const std::vector<XmlAttribute>& attributes,
                                                  TreeNode*) {
  int32_t number = 0;
  WString label;
  bool pointSeen = false;
  bool fileSeen = false;
  for (const auto& [name, value] : attributes) {
    if (name == u"Point" && !pointSeen) {
      number = text::ParseDecimal(value);
      pointSeen = true;
    } else if (name == u"File" && !fileSeen) {
      label = value;
      fileSeen = true;
    }
  }
  TreeNode* point = AddDirectoryPath(PointName(number), nullptr);
  return InsertItem(point, nullptr, label);
}

}  // namespace tidewell
