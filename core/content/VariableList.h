#pragma once

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "files/XmlForm.h"
#include "text/WString.h"

namespace pugi {
class xml_node;
}

namespace tidewell {

// One row of the variable list. A user variable names a registry value:
// `description` is its path (base key\sub-key\value name) and `additional`
// its value type. The two built-in variables are known to the client by name.
struct Variable {
  WString name;
  WString description;
  WString additional;
};

struct BuiltInVariable {
  std::u16string_view name;
  std::u16string_view description;
};
inline constexpr std::array<BuiltInVariable, 2> kBuiltInVariables = {{
    {u"Login", u"Inbuilt NT Login Account Name"},
    {u"Platform", u"Inbuilt Operating System Type"},
}};

// The variables that client texts may refer to as "%" + name + "%". Rows stand
// in ascending order of name, compared without regard to case; a row whose
// name equals another's goes after it. Names need not be unique.
class VariableList {
 public:
  // Starts with the two built-in rows.
  VariableList();

  // Removes every row, then adds the two built-in rows.
  void ResetVariables();

  // With no row given, inserts a new row in its sorted place; an empty name
  // becomes "Variable" + the number of rows at that moment. With a row given,
  // replaces only that row's description and additional. Answers the position
  // of the row; a row position outside the list adds nothing and answers none.
  std::optional<size_t> AddVariable(const WString& name, const WString& description,
                                    const WString& additional,
                                    std::optional<size_t> row = std::nullopt);

  // Gives a row a new name, any text (an empty one included), and moves it to
  // its sorted place. Answers its new position; none for a position outside
  // the list.
  std::optional<size_t> RenameVariable(size_t row, const WString& name);

  const std::vector<Variable>& Rows() const { return rows_; }
  std::vector<WString> VariableNames() const;

  // Rewrites every "%name%" of a user variable (exact case) into
  // "%REG " + description + "|" + additional + "%", row by row in list
  // order. References to built-in variables and unknown names stay. A row
  // whose replacement would make the text more than kExpansionLimit code
  // units longer than it was is skipped, its references kept as they are.
  static constexpr size_t kExpansionLimit = size_t{1} << 18;
  WString ExpandVariables(std::u16string_view text) const;
  // The same inside XML-escaped text: each reference is looked for in its
  // escaped form and replaced by the escaped expansion, so that a registry
  // path holding "&", "<" or a quote keeps the document well-formed.
  WString ExpandVariablesInEscapedText(std::u16string_view escapedText) const;

  // Appends one Variable line per user row in the project form; nothing in
  // the server form. Always succeeds.
  bool WriteXml(WString& out, XmlForm form) const;
  // Adds a row for each Variable child of `element` (the caller resets the
  // list first). Attributes Name, Description and Additional, exact case;
  // a missing one reads as empty text, so a missing name becomes automatic.
  bool ReadXml(const pugi::xml_node& element);

  // A built-in name, spelt with the same case.
  static bool IsBuiltIn(std::u16string_view name);

 private:
  WString Expand(std::u16string_view text, bool escaped) const;
  size_t SortedPosition(std::u16string_view name) const;
  WString AutomaticName() const;

  std::vector<Variable> rows_;
};

}  // namespace tidewell
