#include "project/DocumentWriter.h"

#include "platform/AtomicFile.h"
#include "project/ProjectDocument.h"
#include "project/XmlText.h"
#include "text/Text.h"

namespace tidewell {

namespace {

void AppendBlock(WString& out, std::u16string_view element, const WString& content) {
  if (content.empty()) return;
  out += u"\r\n\t<";
  out += element;
  out += u">\r\n";
  out += content;
  out += u"\t</";
  out += element;
  out += u">\r\n";
}

// The show flag that decides whether a message key goes into the server file.
int ShowFlagOf(SettingKey key) {
  switch (key) {
    case SettingKey::InstallComplete: return 0;
    case SettingKey::UpdateNotNeeded: return 1;
    case SettingKey::License: return 2;
    case SettingKey::Reason: return 3;
    case SettingKey::SilentFinished: return 4;
    case SettingKey::Welcome: return 5;
    default: return -1;
  }
}

void AppendSettingLine(WString& out, const ProjectDocument& document, SettingKey key,
                       XmlForm form) {
  const auto [name, value] = document.settings.GetRawSetting(key);
  if (name.empty() || value.empty()) return;
  out += u"\t<";
  out += name;
  out += u">";
  if (form == XmlForm::ServerForm)
    out += document.variables.ExpandVariables(EscapeXmlText(value));
  else
    AppendEscapedXmlText(out, value);
  out += u"</";
  out += name;
  out += u">\r\n";
}

}  // namespace

bool WriteDocumentText(const ProjectDocument& document, WString& out, XmlForm form) {
  WString files;
  WString executions;
  WString registry;
  WString variables;
  if (!document.fileTree.WriteXml(files, form)) return false;
  if (!document.shellExecs.WriteXml(executions, form)) return false;
  if (!document.registryTree.WriteXml(registry, form)) return false;
  if (!document.variables.WriteXml(variables, form)) return false;

  WString text;
  text.reserve(files.size() + executions.size() + registry.size() + variables.size() + 4096);
  text += u"<Tidemark>";
  AppendBlock(text, u"VariablesList", variables);
  AppendBlock(text, u"FileList", files);
  AppendBlock(text, u"RegList", registry);
  AppendBlock(text, u"ShellExec", executions);

  for (int i = static_cast<int>(SettingKey::CheckNow); i <= static_cast<int>(SettingKey::Shell); ++i) {
    const auto key = static_cast<SettingKey>(i);
    const int flag = ShowFlagOf(key);
    if (form == XmlForm::ServerForm && flag >= 0 && !document.settings.GetFlag(flag)) continue;
    AppendSettingLine(text, document, key, form);
  }
  if (form == XmlForm::ProjectForm) {
    for (int i = static_cast<int>(SettingKey::ProjName); i <= static_cast<int>(SettingKey::ClientExe); ++i)
      AppendSettingLine(text, document, static_cast<SettingKey>(i), form);
    text += u"\t<Settings>";
    text += document.settings.FlagMask();
    text += u"</Settings>\r\n";
  } else if (document.settings.GetFlag(BehaviourFlag::AutomaticRestart)) {
    text += u"\t<Restart />\r\n";
  }
  text += u"</Tidemark>";
  out = std::move(text);
  return true;
}

std::string EncodeDocumentText(const WString& text) {
  std::string bytes = text::ToUtf8(text);
  bytes += "\r\n";
  return bytes;
}

bool SaveDocument(ProjectDocument& document, XmlForm form, const std::function<void()>& saveAs,
                  std::string* error) {
  if (!document.HasProject()) {
    if (saveAs) saveAs();
    return true;
  }
  WString text;
  if (!WriteDocumentText(document, text, form)) {
    if (error) *error = "the document could not be built";
    return false;
  }
  const WString target =
      form == XmlForm::ProjectForm ? document.ProjectFilePath() : document.ServerFilePath();
  if (!WriteFileAtomically(text::ToPath(target), EncodeDocumentText(text), error)) return false;
  if (form == XmlForm::ProjectForm) document.savedText = std::move(text);
  return true;
}

}  // namespace tidewell
