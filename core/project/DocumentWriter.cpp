#include "project/DocumentWriter.h"

#include <algorithm>

#include "platform/AtomicFile.h"
#include "platform/LargeMemory.h"
#include "project/ProjectDocument.h"
#include "project/XmlText.h"
#include "text/Text.h"

namespace tidewell {

namespace {

// Appends a list's block: CR LF, TAB, the opening tag, CR LF, the list's
// text, TAB, the closing tag, CR LF; nothing at all when the text is empty.
// The list writes straight into the document, so a large tree is not copied.
template <typename WriteList>
bool AppendBlock(WString& out, std::u16string_view element, WriteList&& writeList) {
  const size_t mark = out.size();
  out += u"\r\n\t<";
  out += element;
  out += u">\r\n";
  const size_t contentStart = out.size();
  if (!writeList(out)) return false;
  if (out.size() == contentStart) {
    out.resize(mark);
    return true;
  }
  out += u"\t</";
  out += element;
  out += u">\r\n";
  return true;
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
    out += document.variables.ExpandVariablesInEscapedText(EscapeXmlText(value));
  else
    AppendEscapedXmlText(out, value);
  out += u"</";
  out += name;
  out += u">\r\n";
}

}  // namespace

bool WriteDocumentText(const ProjectDocument& document, WString& out, XmlForm form) {
  WString text;
  if (!WriteDocumentTextInto(document, text, form)) return false;
  out = std::move(text);
  return true;
}

bool WriteDocumentTextInto(const ProjectDocument& document, WString& text, XmlForm form) {
  // The lists write straight into the document, in block order. Of them only
  // the file tree shows anything when it fails, and it is still asked before
  // the executions, the one other list that can fail.
  text.clear();
  memory::ReserveLarge(text, document.fileTree.NodeCount() * 80 + 8192);
  text += u"<Tidemark>";
  if (!AppendBlock(text, u"VariablesList",
                   [&](WString& o) { return document.variables.WriteXml(o, form); }) ||
      !AppendBlock(text, u"FileList", [&](WString& o) { return document.fileTree.WriteXml(o, form); }) ||
      !AppendBlock(text, u"RegList",
                   [&](WString& o) { return document.registryTree.WriteXml(o, form); }) ||
      !AppendBlock(text, u"ShellExec",
                   [&](WString& o) { return document.shellExecs.WriteXml(o, form); }))
    return false;

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
  return true;
}

std::string EncodeDocumentText(const WString& text) {
  std::string bytes;
  // Room for the line break too, so a large document is not copied for it.
  memory::ReserveLarge(bytes, text.size() + 2);
  EncodeDocumentTextInPieces(text, [&bytes](std::string_view piece) {
    bytes += piece;
    return true;
  });
  return bytes;
}

bool EncodeDocumentTextInPieces(const WString& text,
                                const std::function<bool(std::string_view)>& write) {
  constexpr size_t kPieceUnits = 32 * 1024;
  std::string piece;
  for (size_t start = 0; start < text.size();) {
    size_t end = std::min(text.size(), start + kPieceUnits);
    // A surrogate pair stays in one piece.
    if (end < text.size() && text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF) --end;
    text::AssignToUtf8(piece, std::u16string_view(text).substr(start, end - start));
    if (!write(piece)) return false;
    start = end;
  }
  return write("\r\n");
}

SaveOutcome SaveNamedDocument(ProjectDocument& document, XmlForm form, std::string* error) {
  if (!document.HasProject()) {
    if (error) *error = "the project has no name";
    return SaveOutcome::Unnamed;
  }
  WString text;
  if (!WriteDocumentText(document, text, form)) {
    if (error) *error = "the document could not be built";
    return SaveOutcome::Failed;
  }
  const WString target =
      form == XmlForm::ProjectForm ? document.ProjectFilePath() : document.ServerFilePath();
  if (!WriteFileAtomically(text::ToPath(target), EncodeDocumentText(text), error))
    return SaveOutcome::Failed;
  if (form == XmlForm::ProjectForm) document.savedText = std::move(text);
  return SaveOutcome::Saved;
}

bool SaveDocument(ProjectDocument& document, XmlForm form, const std::function<void()>& saveAs,
                  std::string* error) {
  if (!document.HasProject() && saveAs) {
    saveAs();
    return true;
  }
  return SaveNamedDocument(document, form, error) == SaveOutcome::Saved;
}

}  // namespace tidewell
