// The update client's readers of what comes from outside: the server update
// file (from the network), the signature file (from the network), a zip
// archive it unpacks (downloaded) and the journal (a file anyone who can
// write the application's folder can change), and the installation's record
// beside the client (as writable as the journal).
#include <zlib.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "FuzzTarget.h"
#include "InstallationState.h"
#include "Journal.h"
#include "ServerUpdate.h"
#include "TargetPaths.h"
#include "Text.h"
#include "ZipArchive.h"
#include "files/ClientPaths.h"
#include "signing/SignatureFile.h"
#include "targets/Targets.h"

namespace tidewell::fuzz {

namespace en = tidewatch::engine;

namespace {

const en::Places kPlaces{u"C:\\App", u"C:\\Program Files", u"C:\\Windows\\system32", u"C:\\Windows",
                         u"C:\\App\\Update.exe"};

// Whatever passes the path rule lands in the folder it names.
void ExpectInFolder(const std::u16string& folder, const std::u16string& target, const char* what) {
  Expect(LiesInClientFolder(folder, target), what);
}

}  // namespace

void RunServerFile(std::string_view input) {
  const auto update = en::ReadServerUpdate(en::DecodeDocumentBytes(input));
  if (!update) return;
  Expect(!update->updateVersion.empty(), "a server file without an update version was read");
  std::string error;
  const bool accepted = en::CheckUpdatePaths(*update, error);
  Expect(accepted == error.empty(), "a refusal without a reason, or a reason without a refusal");
  // The update is refused exactly when one of its places is.
  bool oneRefused = false;
  for (const auto& file : update->files) {
    const auto target = en::FileTarget(file, kPlaces, error);
    if (!target) {
      oneRefused |= error.find(" is refused: ") != std::string::npos;
      continue;
    }
    const auto folder = en::ResolvePlace(file.destination.substr(0, file.destination.find(u'\\')), kPlaces);
    Expect(folder.has_value(), "a file placed in a folder the client does not know");
    if (folder) ExpectInFolder(*folder, *target, "a file lands outside the folder it names");
  }
  for (const auto& execution : update->executions) {
    const auto target = en::ExecutionTarget(execution, kPlaces, error);
    oneRefused |= !error.empty();
    if (!target) continue;
    const auto folder = en::ResolvePlace(execution.file.substr(0, execution.file.find(u'\\')), kPlaces);
    Expect(folder.has_value(), "an execution started from a folder the client does not know");
    if (folder) ExpectInFolder(*folder, *target, "an execution starts a program outside the folder it names");
  }
  Expect(accepted != oneRefused, "the update's verdict differs from its places' verdicts");
}

void RunSignatureFile(std::string_view input) {
  std::string error;
  const auto parsed = signing::ReadSignatureFile(input, error);
  if (!parsed) {
    Expect(!error.empty(), "a signature file was refused without a reason");
    return;
  }
  // The reader is strict: what it accepts is exactly the text its content
  // writes, so no two texts carry the same content.
  Expect(signing::SignatureBody(parsed->content) == parsed->signedText,
         "a signature file's content does not write back to the text it was read from");
  for (const auto& file : parsed->content.files)
    Expect(!file.path.empty(), "a signed file without a path");
}

namespace {

class MemoryReader final : public en::FileReader {
 public:
  explicit MemoryReader(std::string_view bytes) : bytes_(bytes) {}
  bool Read(std::uint8_t* data, std::size_t size, std::size_t& got, en::Failure&) override {
    got = std::min(size, bytes_.size() - pos_);
    std::memcpy(data, bytes_.data() + pos_, got);
    pos_ += got;
    return true;
  }
  bool Seek(std::uint64_t offset, en::Failure&) override {
    pos_ = static_cast<std::size_t>(std::min<std::uint64_t>(offset, bytes_.size()));
    return true;
  }
  std::uint64_t Size() override { return bytes_.size(); }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

// Counts what an entry unpacks to and keeps nothing.
class CountingWriter final : public en::FileWriter {
 public:
  bool Write(const std::uint8_t*, std::size_t size, en::Failure&) override {
    written += size;
    return true;
  }
  bool Flush(en::Failure&) override { return true; }
  std::uint64_t written = 0;
};

}  // namespace

void RunClientZip(std::string_view input) {
  en::ZipArchive archive;
  en::Failure failure;
  if (!archive.Open(std::make_unique<MemoryReader>(input), failure)) return;
  std::size_t tried = 0;
  for (const auto& entry : archive.entries()) {
    std::string error;
    const auto target = en::EntryTarget(u"C:\\App\\Data", entry.name, "archive.zip", error);
    if (target) ExpectInFolder(u"C:\\App\\Data", *target, "an archive entry lands outside its folder");
    if (entry.folder || ++tried > 64) continue;
    CountingWriter out;
    if (archive.Extract(entry, out, failure))
      Expect(out.written == entry.size, "an entry unpacked to another size than its record says");
  }
}

namespace {

void CheckJournal(std::string_view bytes) {
  const en::JournalContents journal = en::ReadJournal(bytes);
  std::string error;
  const bool inPlaces = en::CheckJournalSteps(journal.steps, kPlaces, error);
  Expect(inPlaces == error.empty(), "a journal refused without a reason, or a reason without a refusal");
  if (journal.status != en::JournalContents::Complete) return;
  // What an undo reads is what the apply wrote: every step reads back the same.
  const en::JournalContents again = en::ReadJournal(en::WriteJournal(journal.steps));
  Expect(again.status == en::JournalContents::Complete, "a journal written again does not read back whole");
  Expect(again.steps == journal.steps, "a journal's steps change when written again");
}

}  // namespace

void RunJournal(std::string_view input) {
  CheckJournal(input);
  // Records need their CRC to be read at all: the input's lines get theirs,
  // so the fuzzer reaches the fields.
  std::string sealed;
  std::size_t start = 0;
  while (start < input.size()) {
    const std::size_t end = std::min(input.find('\n', start), input.size());
    const std::string_view line = input.substr(start, end - start);
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08lx",
                  crc32(0, reinterpret_cast<const Bytef*>(line.data()), static_cast<uInt>(line.size())));
    sealed.append(line).append("\t").append(crc).append("\n");
    start = end + 1;
  }
  CheckJournal(sealed);
}

void RunInstallationState(std::string_view input) {
  const auto state = en::ReadInstallationState(input);
  if (!state) return;
  // The reader is strict: what it accepts is exactly what its content writes.
  Expect(en::WriteInstallationState(*state) == input,
         "an installation's record does not write back to the text it was read from");
}

}  // namespace tidewell::fuzz
