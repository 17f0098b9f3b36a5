#include "build/ClientSigning.h"

#include <cstdlib>
#include <system_error>

#include "pe/MappedFile.h"
#include "pe/PeImage.h"
#include "platform/AtomicFile.h"
#include "platform/HostPath.h"
#include "platform/ShellCommand.h"

namespace tidewell {

namespace fs = std::filesystem;

namespace {

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

// The private folder a signing works in: ".<client>.tidewell-signing-<process>".
fs::path SigningFolderName(const fs::path& target, const std::string& process) {
  fs::path name = ".";
  name += target.filename();
  name += ".tidewell-signing-" + process;
  return name;
}

// Removes the folders of signings whose process ended without cleaning up
// (killed, or the machine stopped). Not on Windows, where whether the
// process still runs is not asked: a folder in use there cannot be removed,
// but one between two steps of another signing could.
void RemoveAbandonedSigningFolders(const fs::path& target) {
#ifdef _WIN32
  (void)target;
#else
  const std::string prefix = SigningFolderName(target, "").string();
  std::error_code ec;
  for (fs::directory_iterator it(target.parent_path().empty() ? "." : target.parent_path(), ec),
       end;
       !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!name.starts_with(prefix)) continue;
    const std::string digits = name.substr(prefix.size());
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) continue;
    if (ProcessIsAlive(static_cast<int>(std::strtol(digits.c_str(), nullptr, 10)))) continue;
    std::error_code removeError;
    fs::remove_all(it->path(), removeError);
  }
#endif
}

// Removes the signing folder however the signing ends.
class FolderScope {
 public:
  explicit FolderScope(fs::path folder) : folder_(std::move(folder)) {}
  ~FolderScope() {
    std::error_code ec;
    fs::remove_all(folder_, ec);
  }
  FolderScope(const FolderScope&) = delete;
  FolderScope& operator=(const FolderScope&) = delete;

 private:
  fs::path folder_;
};

// The command's own words, for a message after a colon.
std::string Said(const ShellResult& run) {
  const std::string output = Trimmed(run.output);
  return output.empty() ? std::string(" (it wrote nothing)") : ":\n" + output;
}

}  // namespace

std::string SignCommandFor(const std::string& given) {
  std::string command = Trimmed(given);
  if (!command.empty()) return command;
  const char* fromEnvironment = std::getenv(kSignCommandVariable);
  return fromEnvironment ? Trimmed(fromEnvironment) : std::string();
}

std::string SignCommandProblem(const std::string& command) {
  if (command.find(kFilePlaceholder) == std::string::npos)
    return "the sign command names no {file}: it must be given the path of the client to sign";
  return {};
}

std::string ExpandSignCommand(const std::string& command, const fs::path& file,
                              const fs::path& signedCopy) {
  std::string line;
  size_t at = 0;
  while (at < command.size()) {
    std::string_view placeholder;
    const fs::path* path = nullptr;
    const std::string_view rest = std::string_view(command).substr(at);
    if (rest.starts_with(kFilePlaceholder)) placeholder = kFilePlaceholder, path = &file;
    else if (rest.starts_with(kSignedPlaceholder)) placeholder = kSignedPlaceholder, path = &signedCopy;
    if (!path) {
      line += command[at++];
      continue;
    }
    const size_t after = at + placeholder.size();
    const bool quoted = !line.empty() && after < command.size() &&
                        (line.back() == '"' || line.back() == '\'') &&
                        command[after] == line.back();
    if (quoted) line.pop_back();
    line += QuoteForShell(*path);
    at = after + (quoted ? 1 : 0);
  }
  return line;
}

bool CarriesSignature(const fs::path& file, std::string* error) {
  auto mapped = pe::MappedFile::Open(SystemPath(file), error);
  if (!mapped) return false;
  const auto image = pe::PeImage::Parse(mapped->Bytes(), error);
  if (!image) return false;
  const pe::DataDirectory table = image->Directory(pe::kCertificateTable);
  if (table.size == 0 || table.address == 0 ||
      uint64_t{table.address} + table.size > image->FileSize())
    return Fail(error, "it carries no signature");
  return true;
}

bool WriteSignedFile(const fs::path& path, const std::string& command,
                     const std::function<bool(const fs::path&)>& fill, std::string* error) {
  if (const std::string problem = SignCommandProblem(command); !problem.empty())
    return Fail(error, problem);
  const std::optional<fs::path> target = ResolveWriteTarget(path, error);
  if (!target || !CheckReplaceable(*target, error)) return false;
  RemoveAbandonedSigningFolders(*target);

  const fs::path folder =
      target->parent_path() / SigningFolderName(*target, std::to_string(CurrentProcessId()));
  std::error_code ec;
  fs::remove_all(SystemPath(folder), ec);
  if (!fs::create_directory(SystemPath(folder), ec))
    return Fail(error, "could not create " + folder.string() + ": " + ec.message());
  FolderScope scope(SystemPath(folder));

  const fs::path unsignedFile = folder / target->filename();
  if (!fill(unsignedFile)) return false;
  const bool toCopy = command.find(kSignedPlaceholder) != std::string::npos;
  fs::path signedName = "signed-";
  signedName += target->filename();
  const fs::path signedFile = toCopy ? folder / signedName : unsignedFile;

  const ShellResult run = RunShellCommand(ExpandSignCommand(command, unsignedFile, signedFile));
  if (!run.started) return Fail(error, "the sign command could not be run: " + command);
  if (run.exitCode != 0)
    return Fail(error, "the sign command failed (exit code " + std::to_string(run.exitCode) +
                           ")" + Said(run));
  std::string why;
  if (!CarriesSignature(signedFile, &why))
    return Fail(error, "the sign command reported success, but the client it left is not "
                       "signed (" + why + "); it said" + Said(run));
  if (toCopy) {
    // The signed copy is made by the command: it takes the unsigned file's mode.
    fs::permissions(SystemPath(signedFile), fs::status(SystemPath(unsignedFile), ec).permissions(),
                    ec);
  }
  return MoveIntoPlace(signedFile, *target, error);
}

}  // namespace tidewell
