// The project file: the well-formedness scan, and the reader followed by the
// writer, whose text must read back to itself; the reader refuses whatever
// the scan of the bytes or the strict parse refuses.
#include <algorithm>
#include <string>

#include <pugixml.hpp>

#include "FuzzTarget.h"
#include "files/XmlForm.h"
#include "project/DocumentReader.h"
#include "project/DocumentWriter.h"
#include "project/ProjectDocument.h"
#include "project/XmlEncoding.h"
#include "project/XmlEntities.h"
#include "project/XmlWellFormedness.h"
#include "targets/Targets.h"
#include "text/Text.h"

namespace tidewell::fuzz {

void RunMarkupScan(std::string_view input) {
  const std::optional<XmlFault> fault = FindMarkupFault(input);
  if (fault) Expect(fault->offset <= input.size(), "a markup fault lies past the document's end");
}

namespace {

// The parser reports every line break inside a value as LF, and values are
// written raw: a value written with CR LF reads back with LF. The lines of
// the file and registry trees have each pair of blanks reduced to one, values
// included, so a run of blanks shortens with every save. Texts are compared
// with line breaks made alike and every run of blanks made one blank.
WString Comparable(std::u16string_view text) {
  WString out = text::ReplaceAll(text::ReplaceAll(text, u"\r\n", u"\n"), u"\r", u"\n");
  out.erase(std::unique(out.begin(), out.end(),
                        [](char16_t a, char16_t b) { return a == u' ' && b == u' '; }),
            out.end());
  return out;
}

// An empty value is not written, so after a save and a load the key holds its
// default. The loaded document is given those defaults before it is written,
// so that the first text is the one a reload must give back.
void FillEmptyValuesWithDefaults(ProjectSettings& settings) {
  for (int index = 0; index < kSettingCount; ++index) {
    const auto key = static_cast<SettingKey>(index);
    if (settings.RawValue(key).empty()) settings.SetSetting(key, ProjectSettings::DefaultValue(key));
  }
}

// Whether the reader as it was before it checked markup on the parsed tree
// refuses the document: the scan of every byte, then the parse with the
// parser resolving references.
bool RefusedByTheByteScanOrTheStrictParse(std::string_view input) {
  std::optional<std::string> text = DecodeXmlBytes(input);
  if (!text || !ExpandDeclaredEntities(*text, EntityExpansionLimit(text->size()))) return false;
  if (FindMarkupFault(*text)) return true;
  pugi::xml_document dom;
  return !dom.load_buffer_inplace(text->data(), text->size(),
                                  pugi::parse_default | pugi::parse_ws_pcdata_single,
                                  pugi::encoding_utf8);
}

}  // namespace

void RunProjectDocument(std::string_view input) {
  ProjectDocument first;
  const WString firstPath = text::FromPath(WriteScratchFile("first.xml", input));
  if (!LoadDocument(first, firstPath)) return;
  // The reader checks most of the markup on the parsed tree: whatever the
  // scan of the bytes or the strict parse refuses must not have loaded.
  if (RefusedByTheByteScanOrTheStrictParse(input))
    ReportFinding("a document that the markup scan or the strict parse refuses was loaded");
  FillEmptyValuesWithDefaults(first.settings);
  WString firstText;
  if (!WriteDocumentText(first, firstText, XmlForm::ProjectForm)) return;
  WString serverText;
  WriteDocumentText(first, serverText, XmlForm::ServerForm);

  ProjectDocument second;
  const WString secondPath =
      text::FromPath(WriteScratchFile("second.xml", EncodeDocumentText(firstText)));
  std::string error;
  if (!LoadDocument(second, secondPath, nullptr, &error)) {
    ReportFinding("a saved document does not load again: " + error);
    return;
  }
  WString secondText;
  Expect(WriteDocumentText(second, secondText, XmlForm::ProjectForm),
         "a reloaded document cannot be written");
  firstText = Comparable(firstText);
  secondText = Comparable(secondText);
  if (secondText != firstText) {
    const auto [at, ignored] = std::mismatch(firstText.begin(), firstText.end(),
                                             secondText.begin(), secondText.end());
    const size_t from = static_cast<size_t>(at - firstText.begin());
    ReportFinding("a saved document reads back with a different text from character " +
                  std::to_string(from) + ": \"" + text::ToUtf8(firstText.substr(from, 60)) +
                  "\" became \"" + text::ToUtf8(secondText.substr(from, 60)) + "\"");
  }
}

}  // namespace tidewell::fuzz
