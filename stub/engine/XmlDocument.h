#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tidewatch::engine {

// One element of a document read by ReadXmlDocument.
struct XmlElement {
  std::u16string name;
  std::vector<std::pair<std::u16string, std::u16string>> attributes;  // in document order
  std::vector<XmlElement> children;                                   // elements only
  std::u16string text;  // the element's own character data and CDATA, in order

  const XmlElement* FirstChild(std::u16string_view childName) const;
  // The value of the first attribute whose name matches without regard to case.
  const std::u16string* AttributeIgnoringCase(std::u16string_view attributeName) const;
  const std::u16string* Attribute(std::u16string_view attributeName) const;
};

// Reads a whole well-formed document (line breaks normalised to LF, entity
// and character references resolved, attribute white space as blanks). A
// document type declaration, an undefined entity, a tag left open, text
// outside the root, or anything cut short is refused: nullopt, with `error`
// saying where.
std::optional<XmlElement> ReadXmlDocument(std::u16string_view text, std::string* error = nullptr);

}  // namespace tidewatch::engine
