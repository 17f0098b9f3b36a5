#include "project/LoadFaults.h"

namespace tidewell {

namespace {

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

size_t FirstNonSpace(std::string_view bytes) {
  size_t at = 0;
  while (at < bytes.size() && IsXmlSpace(bytes[at])) ++at;
  return at;
}

}  // namespace

bool IsBlank(std::string_view bytes) { return FirstNonSpace(bytes) == bytes.size(); }

XmlShape ShapeOf(std::string_view bytes) {
  XmlShape shape;
  shape.size = bytes.size();
  const size_t first = FirstNonSpace(bytes);
  shape.startsWithMarkup = first < bytes.size() && bytes[first] == '<';
  const size_t last = bytes.rfind('>');
  shape.endsInATag = bytes.find('<', last == std::string_view::npos ? 0 : last) !=
                     std::string_view::npos;
  return shape;
}

std::string XmlFaultReason(const XmlShape& shape, size_t offset, std::string_view what) {
  if (!shape.startsWithMarkup) return "the file is not XML: it does not begin with markup";
  // A text cut short ends inside a tag, or with elements still open: the
  // parser then stops at its very end.
  if (shape.endsInATag || offset + 1 >= shape.size)
    return "the file is cut short: it ends inside the document (" + std::string(what) + ")";
  return "not well-formed XML at byte " + std::to_string(offset) + ": " + std::string(what);
}

std::string NotProjectReason(std::string_view rootName) {
  return "the XML file is not a project: its root element is <" + std::string(rootName) +
         ">, not <Tidemark>";
}

}  // namespace tidewell
