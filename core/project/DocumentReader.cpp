#include "project/DocumentReader.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <pugixml.hpp>

#include "platform/AtomicFile.h"
#include "platform/LargeMemory.h"
#include "project/LoadFaults.h"
#include "project/ProjectDocument.h"
#include "project/XmlEncoding.h"
#include "project/XmlEntities.h"
#include "project/XmlMemory.h"
#include "project/XmlParsedCheck.h"
#include "project/XmlWellFormedness.h"
#include "text/Text.h"
#include "platform/HostPath.h"

namespace tidewell {

namespace {

// Reads a regular file whole. Anything else (a folder, a FIFO, a device) is
// refused at once: the kind is checked on the opened descriptor, which is
// opened without blocking so that a FIFO without a writer cannot hold the
// reader.
bool ReadWholeFile(const WString& path, std::string& bytes, std::string* error) {
  const std::filesystem::path file = SystemPath(text::ToPath(path));
  auto fail = [&](const std::string& why) {
    if (error) *error = "cannot read " + text::ToUtf8(path) + ": " + why;
    return false;
  };
#ifdef _WIN32
  std::error_code ec;
  const auto status = std::filesystem::status(file, ec);
  if (ec) return fail(ec.message());
  if (!std::filesystem::is_regular_file(status)) return fail("it is not a regular file");
  std::ifstream in(file, std::ios::binary);
  if (!in) return fail("it cannot be opened");
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad() || fail("it cannot be read");
#else
  const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return fail(SystemReason(errno));
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int reason = errno;
    const bool folder = S_ISDIR(st.st_mode);
    ::close(fd);
    if (folder) return fail("it is a folder");
    return fail(st.st_mode != 0 ? "it is not a regular file" : SystemReason(reason));
  }
  bytes.clear();
  memory::ReserveLarge(bytes, static_cast<size_t>(st.st_size));
  // Read to the end rather than to the size seen: the file may change.
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int reason = errno;
      ::close(fd);
      return fail(SystemReason(reason));
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return true;
#endif
}

// The element's text as a DOM reports it: every text and CDATA descendant, in
// document order, joined.
WString ElementText(const pugi::xml_node& element) {
  const pugi::xml_node first = element.first_child();
  if (first && !first.next_sibling() &&
      (first.type() == pugi::node_pcdata || first.type() == pugi::node_cdata))
    return text::FromUtf8(first.value());
  std::string joined;
  for (pugi::xml_node n = element.first_child(); n;) {
    if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) joined += n.value();
    if (n.first_child()) {
      n = n.first_child();
      continue;
    }
    while (n && n != element && !n.next_sibling()) n = n.parent();
    if (!n || n == element) break;
    n = n.next_sibling();
  }
  return text::FromUtf8(joined);
}

void SplitProjectPath(const WString& path, WString& folder, WString& fileName) {
  const size_t cut = path.find_last_of(text::kHostSeparator);
  if (cut == WString::npos) {
    folder.clear();
    fileName = path;
  } else {
    folder = path.substr(0, cut);
    fileName = path.substr(cut + 1);
  }
}


// Turns the file's bytes into the text the parser takes, where they stand:
// decoded to UTF-8, the entities its document type declares expanded.
bool DecodeDocumentTextInPlace(std::string& bytes, std::string* error) {
  if (!DecodeXmlBytesInPlace(bytes, error)) return false;
  if (IsBlank(bytes)) {
    if (error) *error = std::string(kEmptyFileReason);
    return false;
  }
  return ExpandDeclaredEntities(bytes, EntityExpansionLimit(bytes.size()), error);
}

// The parse every document takes first: the parse itself finds the structure,
// and what it lets pass is checked on its tree (CheckParsedDocument), the
// prolog alone on the bytes. True only when the document is sure to be
// accepted as ParseExactly accepts it; anything else, a refusal included, is
// left to ParseExactly, so that a refused document gets the reasons it always
// had.
bool ParseQuickly(std::string& bytes, pugi::xml_document& dom) {
  // The parser stops at a NUL byte and would not see what follows it.
  if (std::memchr(bytes.data(), 0, bytes.size()) != nullptr) return false;
  const PrologScan prolog = ScanProlog(bytes);
  if (prolog.fault) return false;
  // The string's own terminator is handed to the parser as the buffer's last
  // byte, which it overwrites with a zero: the document's own last byte is
  // parsed rather than cut off.
  const pugi::xml_parse_result parsed = dom.load_buffer_inplace(
      bytes.data(), bytes.size() + 1, ParseOptionsForCheck(), pugi::encoding_utf8);
  // The text outside the root is kept as a node, so a document without an
  // element parses.
  if (!parsed || !dom.document_element()) return false;
  return CheckParsedDocument(dom, bytes.data(), prolog.rootStart);
}

// The parse with the parser resolving references, after a scan of the whole
// of the bytes: slower, and exact where CheckParsedDocument is not sure.
bool ParseExactly(std::string& bytes, pugi::xml_document& dom, std::string* error) {
  const XmlShape shape = ShapeOf(bytes);
  // The bytes are checked before the parse works on them in place; the
  // parser's own complaint, when it has one, is the one reported.
  const std::optional<XmlFault> markupFault = FindMarkupFault(bytes);
  const unsigned options = pugi::parse_default | pugi::parse_ws_pcdata_single;
  const pugi::xml_parse_result parsed =
      dom.load_buffer_inplace(bytes.data(), bytes.size(), options, pugi::encoding_utf8);
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  if (!parsed) return fail(XmlFaultReason(shape, static_cast<size_t>(parsed.offset), parsed.description()));
  if (markupFault) return fail(XmlFaultReason(shape, markupFault->offset, markupFault->description));
  return true;
}

// Parses a file's bytes, turned into its text where they stand. The quick
// parse changes the bytes it works on, so the rare way to the exact parse,
// which reports the faults, asks `original` for the file's bytes again.
bool ParseDocument(std::string& bytes, pugi::xml_document& dom,
                   const std::function<bool(std::string& raw, std::string* error)>& original,
                   std::string* error) {
  if (IsBlank(bytes)) {
    if (error) *error = std::string(kEmptyFileReason);
    return false;
  }
  if (!DecodeDocumentTextInPlace(bytes, error)) return false;
  static_cast<void>(XmlMemoryInstalled());
  if (ParseQuickly(bytes, dom)) return true;
  // Rare: a damaged file, a reference to a declared entity left standing,
  // or a layout the quick check does not follow.
  dom.reset();
  return original(bytes, error) && DecodeDocumentTextInPlace(bytes, error) &&
         ParseExactly(bytes, dom, error);
}

// Reads the project out of its parsed document.
bool ReadParsedDocument(ProjectDocument& document, const pugi::xml_document& dom,
                        const WString& path, Prompt* prompt, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  const pugi::xml_node root = dom.document_element();
  if (std::string_view(root.name()) != "Tidemark") return fail(NotProjectReason(root.name()));

  document.settings.ResetSettings();
  document.variables.ResetVariables();
  document.fileTree.Clear();
  document.shellExecs.Clear();
  document.registryTree.Clear();

  for (int i = 0; i <= static_cast<int>(SettingKey::Shell); ++i) {
    const auto key = static_cast<SettingKey>(i);
    const WString name = ProjectSettings::KeyName(key);
    if (name.empty()) continue;
    const pugi::xml_node element = root.child(text::ToUtf8(name).c_str());
    if (element) document.settings.SetSetting(key, ElementText(element));
  }
  if (const pugi::xml_node list = root.child("FileList"); list) {
    if (!document.fileTree.ReadXml(list, prompt)) return fail("the file list cannot be read");
  }
  if (const pugi::xml_node list = root.child("ShellExec"); list) {
    if (!document.shellExecs.ReadXml(list, prompt)) return fail("the executions cannot be read");
  }
  if (const pugi::xml_node list = root.child("RegList"); list) {
    if (!document.registryTree.ReadXml(list, prompt))
      return fail("the registry operations cannot be read");
  }
  if (const pugi::xml_node list = root.child("VariablesList"); list) {
    if (!document.variables.ReadXml(list)) return fail("the variables cannot be read");
  }
  if (const pugi::xml_node flags = root.child("Settings"); flags)
    document.settings.SetFlagsFromMask(ElementText(flags));

  SplitProjectPath(path, document.projectFolder, document.projectFileName);
  return true;
}

}  // namespace

bool LoadDocument(ProjectDocument& document, const WString& path, Prompt* prompt,
                  std::string* error) {
  // The file's own bytes become the text the parser works in, without a
  // copy; the exact parse reads the file again.
  std::string bytes;
  auto readFile = [&path](std::string& raw, std::string* why) {
    return ReadWholeFile(path, raw, why);
  };
  pugi::xml_document dom;
  return readFile(bytes, error) && ParseDocument(bytes, dom, readFile, error) &&
         ReadParsedDocument(document, dom, path, prompt, error);
}

bool LoadDocumentBytes(ProjectDocument& document, std::string raw, const WString& path,
                       Prompt* prompt, std::string* error) {
  std::string bytes;
  memory::ReserveLarge(bytes, raw.size());
  bytes.assign(raw);
  auto kept = [&raw](std::string& again, std::string*) {
    again = std::move(raw);
    return true;
  };
  pugi::xml_document dom;
  if (!ParseDocument(bytes, dom, kept, error)) return false;
  raw = std::string();
  return ReadParsedDocument(document, dom, path, prompt, error);
}

std::unique_ptr<ProjectDocument> LoadDocumentFresh(const WString& path, Prompt* prompt,
                                                   std::string* error) {
  auto document = std::make_unique<ProjectDocument>();
  document->SetPrompt(prompt);
  if (!LoadDocument(*document, path, prompt, error)) return nullptr;
  return document;
}

}  // namespace tidewell
