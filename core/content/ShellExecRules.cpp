#include "content/ShellExecRules.h"

#include "content/ShellExecList.h"
#include "files/ClientPaths.h"
#include "text/Text.h"

namespace tidewell {

namespace {

bool Selected(int index, size_t count) { return index >= 0 && static_cast<size_t>(index) < count; }

// The label's part after its directory: the file the client starts, below it.
WString FileBelowDirectory(const ShellExecFields& fields) {
  const WString label = ShellExecLabel(fields);
  const size_t root = kExecutionDirectories[static_cast<size_t>(fields.directoryIndex)].size();
  return label.substr(std::min(root + 1, label.size()));
}

}  // namespace

bool ValidateShellExec(const ShellExecFields& fields, Prompt& prompt) {
  const FieldId* field = nullptr;
  WString message;
  if (!Selected(fields.directoryIndex, kExecutionDirectories.size())) {
    field = &kShellExecDirectoryField;
    message = u"You must select an execution directory.";
  } else if (fields.fileName.empty()) {
    field = &kShellExecFileNameField;
    message = u"The file-name cannot be empty";
  } else if (const ClientPathFault fault = CheckClientPath(FileBelowDirectory(fields));
             fault != ClientPathFault::None) {
    field = &kShellExecFileNameField;
    message = u"The file-name " + fields.fileName + u" cannot be used: " + text::FromUtf8(ClientPathFaultText(fault)) +
              u". The update client starts only files in the execution directory and the folders below it.";
  } else if (!Selected(fields.pointIndex, kExecutionPoints.size())) {
    field = &kShellExecPointField;
    message = u"You must select an execution point.";
  }
  if (field == nullptr) return true;
  prompt.ShowBalloon(*field, kInvalidParametersCaption, message, MessageIcon::Error);
  return false;
}

WString ShellExecLabel(const ShellExecFields& fields) {
  if (!Selected(fields.directoryIndex, kExecutionDirectories.size())) return {};
  WString label(kExecutionDirectories[static_cast<size_t>(fields.directoryIndex)]);
  label += u'\\';
  label += fields.fileName;
  return text::ReduceDoubleBackslashes(label);
}

TreeNode* AddShellExecution(ShellExecList& list, const ShellExecFields& fields) {
  if (!Selected(fields.directoryIndex, kExecutionDirectories.size()) ||
      !Selected(fields.pointIndex, kExecutionPoints.size()))
    return nullptr;
  const std::u16string_view pointName = kExecutionPoints[static_cast<size_t>(fields.pointIndex)].name;
  TreeNode* point = list.AddDirectoryPath(pointName, nullptr);
  return list.InsertItem(point, nullptr, ShellExecLabel(fields));
}

WString FileNameOfChosenPath(std::u16string_view path) {
  const size_t last = path.find_last_of(u"\\/");
  return WString(last == std::u16string_view::npos ? path : path.substr(last + 1));
}

}  // namespace tidewell
