#pragma once

#include "content/RegistryTree.h"
#include "content/ShellExecList.h"
#include "content/VariableList.h"
#include "files/FileTree.h"
#include "project/ProjectSettings.h"

namespace tidewell {

class Prompt;

// The one open project: its settings and flags, its four content lists, its
// place on disk and the project file text as last saved. A document is never
// copied or moved (its file tree reads the settings it sits beside); a load
// fills a fresh document that replaces the open one only on success.
class ProjectDocument {
 public:
  ProjectDocument();
  ProjectDocument(const ProjectDocument&) = delete;
  ProjectDocument& operator=(const ProjectDocument&) = delete;

  // Who is told when a file of the tree cannot be measured.
  void SetPrompt(Prompt* prompt);

  // The folder, one separator, then the file name.
  WString ProjectFilePath() const;
  // ClientExe, or "Tidewatcher.exe" when it is empty.
  WString ClientExecutablePath() const;
  // ClientXML, or "UpdateFiles.xml" when it is empty.
  WString ServerFilePath() const;
  // A project exists once it has a name.
  bool HasProject() const { return !settings.RawValue(SettingKey::ProjName).empty(); }

  ProjectSettings settings;
  FileTree fileTree;
  ShellExecList shellExecs;
  RegistryTree registryTree;
  VariableList variables;

  WString savedText;
  WString projectFolder;  // without a trailing separator
  WString projectFileName;
};

}  // namespace tidewell
