#pragma once

#include <cstddef>
#include <string>

namespace tidewell {

// Replaces every reference to an entity that the document type's internal
// subset declares with the entity's text, as an XML processor does: in text
// and attribute values, not in comments, CDATA sections or processing
// instructions; character references in a declared value are resolved when
// it is declared, references to other entities when it is used. References to
// the five predefined entities and character references are left for the
// parser.
//
// Refused, with `error` saying why: a file that declares parameter entities,
// a reference to an entity kept in another file, an entity that refers to
// itself, "<" brought into an attribute value, and text that would grow past
// `limit` bytes in all (declared values included), so that a few nested
// declarations cannot make a small file take the memory of a large one.
// A document without declared entities is left as it is.
bool ExpandDeclaredEntities(std::string& text, size_t limit, std::string* error = nullptr);

// The limit the project reader uses for a file of `size` bytes.
size_t EntityExpansionLimit(size_t size);

}  // namespace tidewell
