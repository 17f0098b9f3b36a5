#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "files/XmlForm.h"
#include "text/WString.h"

namespace tidewell {

class ProjectDocument;
class Prompt;

// Builds the text of either document. Asks the lists for their texts (file
// tree, shell executions, registry tree, variables); when any fails, `out` is
// left unchanged and the answer is false.
bool WriteDocumentText(const ProjectDocument& document, WString& out, XmlForm form);
// The same written over `text`, whose room is used again: a text rebuilt after
// every edit then costs no fresh memory. When a list fails, `text` holds a part.
bool WriteDocumentTextInto(const ProjectDocument& document, WString& text, XmlForm form);

// The bytes stored on disk for a document text: UTF-8, no byte-order mark, no
// declaration, followed by CR LF.
std::string EncodeDocumentText(const WString& text);
// The same bytes handed to `write` in pieces of at most a few tens of
// kilobytes, so a large document is not held a second time; stops at the
// first piece `write` refuses and answers whether all were taken.
bool EncodeDocumentTextInPieces(const WString& text,
                                const std::function<bool(std::string_view)>& write);

// How a save without the save-as flow ended.
enum class SaveOutcome {
  Saved,
  Unnamed,  // no project name: only the save-as flow can save it; nothing was written
  Failed,   // the text could not be built or the file not written
};

// Saves the project file (ProjectForm) or the server update file (ServerForm)
// of a named project. The file is replaced in one step, so a failure leaves
// the previous file intact. On a successful project save, `savedText` becomes
// the text written. For front ends that cannot run the save-as flow.
SaveOutcome SaveNamedDocument(ProjectDocument& document, XmlForm form,
                              std::string* error = nullptr);

// The same; with no project name yet, runs `saveAs` instead and answers true.
// Without a save-as flow an unnamed project is not saved and the answer is
// false, so no caller takes unsaved work for saved.
bool SaveDocument(ProjectDocument& document, XmlForm form,
                  const std::function<void()>& saveAs = {}, std::string* error = nullptr);

}  // namespace tidewell
