#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tidewell {

// The XML parser is lenient where a project file must not be: it keeps an
// unknown reference as plain text, takes "<" inside an attribute value, a
// repeated attribute, a second top-level element or text outside the root.
// A damaged file would then open and be rewritten on the next save without a
// word. These checks refuse such files, as a strict parser would.

struct XmlFault {
  size_t offset = 0;  // byte offset in the document
  std::string description;
};

// Scans the document's bytes (UTF-8) for what the parser lets pass inside
// text and tags: every "&" must start a reference to one of the five
// predefined entities, to an entity the document type declares, or to a
// character XML allows; no attribute value holds "<"; no element names an
// attribute twice; one element stands at the top level, with nothing but
// blanks beside it. Comments, CDATA sections, processing instructions and
// the document type are skipped.
// Runs on the bytes before an in-place parse changes them.
std::optional<XmlFault> FindMarkupFault(std::string_view bytes);

// The same checks over the prolog only: the bytes up to and including the
// first element's start tag. `rootStart` is where that tag starts as this
// scan sees it (npos when it finds none or stops at a fault first).
struct PrologScan {
  std::optional<XmlFault> fault;
  size_t rootStart = std::string_view::npos;
};
PrologScan ScanProlog(std::string_view bytes);

}  // namespace tidewell
