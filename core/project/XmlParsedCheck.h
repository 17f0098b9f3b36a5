#pragma once

#include <cstddef>

namespace pugi {
class xml_document;
}

namespace tidewell {

// The checks of FindMarkupFault made on the parsed tree instead of a second
// scan of the bytes, where the parse has found the structure already.

// The parse options CheckParsedDocument works on: the default ones, except
// that references are left as they stand (the check resolves them), text
// outside the root is kept as a node, and the document type is a node.
unsigned ParseOptionsForCheck();

// Walks a document parsed in place with those options and looks for what the
// parser let pass: a second top-level element or a document type after the
// root, text outside the root, "<" in an attribute value, an attribute named
// twice, a reference that is not to one of the five predefined entities or a
// character XML allows. Every reference in text and attribute values is
// resolved in place, as the parser would have done.
// `rootStart` is where the scan of the prolog (ScanProlog) saw the root's tag
// start. The parse must have seen the whole document: no NUL byte in it, and
// its last byte not cut off.
// True: none of these faults is there. False: one may be (or the element has
// too many attributes to compare cheaply); the values are then partly
// resolved, and only FindMarkupFault over the bytes as read can tell.
bool CheckParsedDocument(pugi::xml_document& dom, const char* buffer, size_t rootStart);

}  // namespace tidewell
