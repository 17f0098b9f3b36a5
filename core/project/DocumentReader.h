#pragma once

#include <memory>
#include <string>

#include "text/WString.h"

namespace tidewell {

class ProjectDocument;
class Prompt;

// Reads a project file into `document`, which should be fresh: settings and
// variables are reset and the lists cleared once the root is found, then
// filled from the file. On failure the answer is false and `error` says why;
// what `document` holds then must not be used (see LoadDocumentFresh).
// The file's encoding is taken from its byte-order mark or declaration (see
// DecodeXmlBytes); entities its document type declares are expanded. Only a
// regular file is read. The reasons tell apart a missing or unreadable file
// (the system's words), an empty one, one that is not XML, one cut short and
// an XML file that is no project (see LoadFaults.h).
bool LoadDocument(ProjectDocument& document, const WString& path, Prompt* prompt = nullptr,
                  std::string* error = nullptr);

// The same for the bytes of a project file already in memory (a state kept
// for undo); `path` names the file the document belongs to.
bool LoadDocumentBytes(ProjectDocument& document, std::string bytes, const WString& path,
                       Prompt* prompt = nullptr, std::string* error = nullptr);

// Reads a project file into a new document: nullptr on failure, so the open
// project is replaced only by a fully read one.
std::unique_ptr<ProjectDocument> LoadDocumentFresh(const WString& path, Prompt* prompt = nullptr,
                                                   std::string* error = nullptr);

}  // namespace tidewell
