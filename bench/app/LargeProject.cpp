#include "LargeProject.h"

#include <cstdlib>

#include "content/VariableList.h"
#include "files/FileRecord.h"
#include "project/DocumentWriter.h"
#include "project/ProjectDocument.h"
#include "text/Text.h"

namespace tidewell::bench {

const WString& LargeProjectFile(const std::filesystem::path& folder) {
  static WString path;
  if (!path.empty()) return path;
  ProjectDocument document;
  document.settings.SetSetting(SettingKey::ProjName, u"Bench");
  document.projectFolder = text::FromPath(folder);
  document.projectFileName = u"Large.xml";
  document.variables.AddVariable(u"Edition", u"HKEY_CURRENT_USER\\Software\\Bench", u"REG_SZ");
  FileRecord record;
  for (int d = 0; d < 90; ++d) {
    const WString name = u"module" + text::FormatDecimal(d);
    TreeNode* node = document.fileTree.AddDirectoryPath(u"<ApplicationDir>\\" + name, nullptr);
    record.Src = u"\\" + name + u"\\";
    for (int f = 0; f < 1000; ++f) {
      record.Name.clear();
      document.fileTree.InsertItem(node, &record, u"file" + text::FormatDecimal(f * 7919 % 1000) + u".dat");
    }
  }
  TreeNode* wide = document.fileTree.AddDirectoryPath(kWideFolderPath, nullptr);
  record.Src = u"\\assets\\";
  for (int f = 0; f < 10000; ++f) {
    record.Name.clear();
    document.fileTree.InsertItem(wide, &record, u"asset" + text::FormatDecimal(f * 7907 % 10000) + u".png");
  }
  if (!SaveDocument(document, XmlForm::ProjectForm)) std::abort();
  path = document.ProjectFilePath();
  return path;
}

}  // namespace tidewell::bench
