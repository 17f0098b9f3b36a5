#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tidewell {

// The reasons a project file does not load, worded for the detail line of
// the load error. A missing or unreadable file has the system's own words.
inline constexpr std::string_view kEmptyFileReason = "the file is empty";

// True when `bytes` hold nothing but white space (or nothing at all).
bool IsBlank(std::string_view bytes);
// What the reasons of a parse fault look at, taken before the parser works
// on the text in place.
struct XmlShape {
  size_t size = 0;
  bool startsWithMarkup = false;  // '<' is the first character after white space
  bool endsInATag = false;         // a '<' follows the last '>' (or there is no '>')
};
XmlShape ShapeOf(std::string_view bytes);

// The reason for a parse fault at `offset`:
//   "the file is not XML: it does not begin with markup" when no '<' opens it,
//   "the file is cut short: it ends inside the document (<what>)" when the
//     text ends inside a tag, or the fault lies at its very end (elements
//     still open),
//   "not well-formed XML at byte <offset>: <what>" otherwise.
std::string XmlFaultReason(const XmlShape& shape, size_t offset, std::string_view what);

// "the XML file is not a project: its root element is <name>, not <Tidemark>"
std::string NotProjectReason(std::string_view rootName);

}  // namespace tidewell
