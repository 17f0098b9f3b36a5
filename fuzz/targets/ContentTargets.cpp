// Zip entries, bitmaps, and the variable list's expansion and renaming.
#include <algorithm>
#include <string>
#include <vector>

#include "FuzzTarget.h"
#include "build/BitmapResource.h"
#include "content/VariableList.h"
#include "files/ZipArchive.h"
#include "project/XmlText.h"
#include "targets/Targets.h"
#include "text/Text.h"

namespace tidewell::fuzz {

namespace {

// More entries than any seed holds; enough to walk a directory that lies
// about its count without looping for long.
constexpr int kEntryLimit = 4096;

// The pieces of an input separated by `separator`.
std::vector<std::string_view> Split(std::string_view input, char separator) {
  std::vector<std::string_view> pieces;
  size_t start = 0;
  for (size_t at = input.find(separator); at != std::string_view::npos;
       at = input.find(separator, start)) {
    pieces.push_back(input.substr(start, at - start));
    start = at + 1;
  }
  pieces.push_back(input.substr(start));
  return pieces;
}

bool RowsSorted(const VariableList& list) {
  const std::vector<Variable>& rows = list.Rows();
  for (size_t i = 1; i < rows.size(); ++i)
    if (text::CompareNoCase(rows[i - 1].name, rows[i].name) > 0) return false;
  return true;
}

// One line of the variables input: "a" adds (name, description, additional
// separated by tabs), "r" renames the row given by the next byte, "e" sets
// that row's description.
void ApplyVariableLine(VariableList& list, std::string_view line) {
  if (line.empty()) return;
  const char operation = line.front();
  line.remove_prefix(1);
  if (operation == 'a') {
    const std::vector<std::string_view> fields = Split(line, '\t');
    const WString name = text::FromUtf8(fields[0]);
    const WString description = fields.size() > 1 ? text::FromUtf8(fields[1]) : WString();
    const WString additional = fields.size() > 2 ? text::FromUtf8(fields[2]) : WString();
    const size_t before = list.Rows().size();
    const std::optional<size_t> row = list.AddVariable(name, description, additional);
    Expect(row && list.Rows().size() == before + 1, "adding a variable added no row");
    if (row && !name.empty()) Expect(list.Rows()[*row].name == name, "an added row has another name");
  } else if ((operation == 'r' || operation == 'e') && !line.empty()) {
    const size_t row = static_cast<uint8_t>(line.front());
    const WString value = text::FromUtf8(line.substr(1));
    const size_t before = list.Rows().size();
    const std::optional<size_t> moved = operation == 'r' ? list.RenameVariable(row, value)
                                                         : list.AddVariable({}, value, {}, row);
    Expect(moved.has_value() == (row < before), "a row position was taken or refused wrongly");
    Expect(list.Rows().size() == before, "renaming or editing changed the number of rows");
    if (moved && operation == 'r') Expect(list.Rows()[*moved].name == value, "a renamed row lost its name");
  }
  Expect(RowsSorted(list), "the variable rows are out of order");
}

// Whether every step of the escaped expansion stays within the limit, so
// that no row is skipped for its length.
bool EscapedExpansionFits(const VariableList& list, std::u16string_view escapedText) {
  size_t size = escapedText.size();
  WString current(escapedText);
  for (const Variable& row : list.Rows()) {
    if (row.name.empty() || VariableList::IsBuiltIn(row.name)) continue;
    const WString pattern = EscapeXmlText(u"%" + row.name + u"%");
    const WString expansion = EscapeXmlText(u"%REG " + row.description + u"|" + row.additional + u"%");
    size_t count = 0;
    for (size_t at = current.find(pattern); at != WString::npos; at = current.find(pattern, at + pattern.size()))
      ++count;
    if (count == 0) continue;
    if (expansion.size() > pattern.size() &&
        size + (expansion.size() - pattern.size()) * count >= VariableList::kExpansionLimit / 2)
      return false;
    current = text::ReplaceAll(current, pattern, expansion);
    size = current.size();
  }
  return true;
}

}  // namespace

void RunZipEntries(std::string_view input) {
  ZipArchive archive;
  if (!archive.Open(text::FromPath(WriteScratchFile("archive.zip", input)))) return;
  std::vector<WString> names;
  ZipEntry entry;
  std::string stored;
  for (bool more = archive.GoToFirstFile(); more && names.size() < kEntryLimit;
       more = archive.GoToNextFile()) {
    if (!archive.GetCurrentFileInfo(entry, stored)) break;
    Expect(stored.size() <= entry.nameLength, "a stored name is longer than its record says");
    names.push_back(entry.name);
  }
  for (const WString& name : names) {
    // A name the directory lists is found again, unless it starts with a
    // separator: the lookup drops one from the name it is given.
    if (name.empty() || name.front() == u'\\') continue;
    Expect(archive.LocateFile(name, true), "a listed zip entry cannot be located");
  }
  archive.Close();
}

void RunBitmap(std::string_view input) {
  const BitmapResource resource = BitmapResourceFromFile(input);
  if (resource.status != BitmapResource::Status::Ok) return;
  Expect(resource.bytes.size() <= input.size() - 14, "a bitmap resource outgrows its file");
  const size_t header = std::min<size_t>(4, resource.bytes.size());
  Expect(resource.bytes.substr(0, header) == input.substr(14, header),
         "a bitmap resource does not start with the file's information header");
}

void RunVariables(std::string_view input) {
  const std::vector<std::string_view> lines = Split(input, '\n');
  VariableList list;
  for (size_t i = 1; i < lines.size(); ++i) ApplyVariableLine(list, lines[i]);
  const WString text = text::FromUtf8(lines[0]);
  const WString expanded = list.ExpandVariables(text);
  const WString escapedText = EscapeXmlText(text);
  const WString expandedEscaped = list.ExpandVariablesInEscapedText(escapedText);
  Expect(expanded.size() <= text.size() + VariableList::kExpansionLimit &&
             expandedEscaped.size() <= escapedText.size() + VariableList::kExpansionLimit,
         "an expanded text outgrows the expansion limit");
  // Escaping keeps every reference and only lengthens the text, so where the
  // escaped expansion never meets the limit neither does the plain one, and
  // both must agree.
  if (EscapedExpansionFits(list, escapedText))
    Expect(EscapeXmlText(expanded) == expandedEscaped,
           "expanding escaped text differs from escaping the expanded text");
}

}  // namespace tidewell::fuzz
