#include "content/VariableList.h"

#include <algorithm>
#include <pugixml.hpp>

#include "project/XmlText.h"
#include "text/Text.h"

namespace tidewell {

namespace {

bool NameLess(const Variable& a, const Variable& b) {
  return text::CompareNoCase(a.name, b.name) < 0;
}

WString AttributeText(const pugi::xml_node& node, const char* name) {
  return text::FromUtf8(node.attribute(name).value());
}

void AppendAttribute(WString& out, std::u16string_view name, std::u16string_view value) {
  out += name;
  out += u"=\"";
  out += EscapeXmlText(value);
  out += u'"';
}

}  // namespace

VariableList::VariableList() { ResetVariables(); }

void VariableList::ResetVariables() {
  rows_.clear();
  for (const BuiltInVariable& builtIn : kBuiltInVariables)
    AddVariable(WString(builtIn.name), WString(builtIn.description), WString());
}

size_t VariableList::SortedPosition(std::u16string_view name) const {
  const auto it = std::upper_bound(
      rows_.begin(), rows_.end(), name,
      [](std::u16string_view key, const Variable& row) { return text::CompareNoCase(key, row.name) < 0; });
  return static_cast<size_t>(it - rows_.begin());
}

WString VariableList::AutomaticName() const {
  return u"Variable" + text::FormatDecimal(static_cast<int64_t>(rows_.size()));
}

std::optional<size_t> VariableList::AddVariable(const WString& name, const WString& description,
                                                const WString& additional,
                                                std::optional<size_t> row) {
  if (row) {
    if (*row >= rows_.size()) return std::nullopt;
    rows_[*row].description = description;
    rows_[*row].additional = additional;
    return row;
  }
  Variable variable{name.empty() ? AutomaticName() : name, description, additional};
  const size_t position = SortedPosition(variable.name);
  rows_.insert(rows_.begin() + static_cast<ptrdiff_t>(position), std::move(variable));
  return position;
}

std::optional<size_t> VariableList::RenameVariable(size_t row, const WString& name) {
  if (row >= rows_.size()) return std::nullopt;
  Variable variable = std::move(rows_[row]);
  rows_.erase(rows_.begin() + static_cast<ptrdiff_t>(row));
  variable.name = name;
  const size_t position = SortedPosition(variable.name);
  rows_.insert(rows_.begin() + static_cast<ptrdiff_t>(position), std::move(variable));
  return position;
}

std::vector<WString> VariableList::VariableNames() const {
  std::vector<WString> names;
  names.reserve(rows_.size());
  for (const Variable& row : rows_) names.push_back(row.name);
  return names;
}

bool VariableList::IsBuiltIn(std::u16string_view name) {
  return std::any_of(kBuiltInVariables.begin(), kBuiltInVariables.end(),
                     [name](const BuiltInVariable& builtIn) { return builtIn.name == name; });
}

WString VariableList::Expand(std::u16string_view text, bool escaped) const {
  WString result(text);
  const size_t limit = text.size() + kExpansionLimit;
  for (const Variable& row : rows_) {
    // A row renamed to empty text would make "%%" a reference; it names nothing.
    if (row.name.empty() || IsBuiltIn(row.name)) continue;
    WString pattern = u"%" + row.name + u"%";
    WString expansion = u"%REG " + row.description + u"|" + row.additional + u"%";
    if (escaped) {
      pattern = EscapeXmlText(pattern);
      expansion = EscapeXmlText(expansion);
    }
    size_t occurrences = 0;
    for (size_t at = result.find(pattern); at != WString::npos;
         at = result.find(pattern, at + pattern.size()))
      ++occurrences;
    if (occurrences == 0) continue;
    // Descriptions that refer to later rows can double the text with every
    // row; a replacement that would take the text past the limit is left out.
    const size_t room = result.size() < limit ? limit - result.size() : 0;
    if (expansion.size() > pattern.size() && (expansion.size() - pattern.size()) * occurrences > room)
      continue;
    result = text::ReplaceAll(result, pattern, expansion);
  }
  return result;
}

WString VariableList::ExpandVariables(std::u16string_view text) const { return Expand(text, false); }

WString VariableList::ExpandVariablesInEscapedText(std::u16string_view escapedText) const {
  return Expand(escapedText, true);
}

bool VariableList::WriteXml(WString& out, XmlForm form) const {
  if (form == XmlForm::ServerForm) return true;
  for (const Variable& row : rows_) {
    if (IsBuiltIn(row.name)) continue;
    out += u"\t\t<Variable ";
    AppendAttribute(out, u"Name", row.name);
    out += u' ';
    AppendAttribute(out, u"Description", row.description);
    out += u' ';
    AppendAttribute(out, u"Additional", row.additional);
    out += u" />\r\n";
  }
  return true;
}

bool VariableList::ReadXml(const pugi::xml_node& element) {
  // Adding the rows one by one in document order, each after the rows of equal
  // name, gives the same list as appending them all and sorting stably; the
  // latter stays fast for documents with very many rows.
  const size_t before = rows_.size();
  for (const pugi::xml_node& child : element.children("Variable")) {
    Variable variable{AttributeText(child, "Name"), AttributeText(child, "Description"),
                      AttributeText(child, "Additional")};
    if (variable.name.empty()) variable.name = AutomaticName();
    rows_.push_back(std::move(variable));
  }
  std::stable_sort(rows_.begin() + static_cast<ptrdiff_t>(before), rows_.end(), NameLess);
  std::inplace_merge(rows_.begin(), rows_.begin() + static_cast<ptrdiff_t>(before), rows_.end(),
                     NameLess);
  return true;
}

}  // namespace tidewell
