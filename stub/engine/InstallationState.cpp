#include "InstallationState.h"

#include <charconv>

#include "Text.h"
#include "UpdateRules.h"
#include "UpdateRun.h"
#include "WholeFiles.h"
#include "signing/Hex.h"
#include "signing/Sha256.h"

namespace tidewatch::engine {

namespace {

constexpr std::string_view kHeader = "Tidewell installation 1\n";
constexpr std::string_view kVersion = "installed-version ";
constexpr std::string_view kMain = "main-executable ";
// A version is a short text; a record is far below this.
constexpr std::uint64_t kMaxRecordSize = 4096;

// The next line of `rest` without its LF; false when there is none.
bool NextLine(std::string_view& rest, std::string_view& line) {
  const std::size_t end = rest.find('\n');
  if (end == std::string_view::npos) return false;
  line = rest.substr(0, end);
  rest.remove_prefix(end + 1);
  return true;
}

bool IsLowerHex(std::string_view text) {
  return text.find_first_not_of("0123456789abcdef") == std::string_view::npos;
}

std::string VersionText(const FileVersion& version) {
  return std::to_string(version.major) + "." + std::to_string(version.minor);
}

}  // namespace

std::string WriteInstallationState(const InstallationState& state) {
  std::string text(kHeader);
  text += std::string(kVersion) + ToUtf8(state.installedVersion) + '\n';
  if (state.mainExecutable)
    text += std::string(kMain) + std::to_string(state.mainExecutable->size) + ' ' + state.mainExecutable->sha256 + '\n';
  return text;
}

std::optional<InstallationState> ReadInstallationState(std::string_view bytes) {
  if (!bytes.starts_with(kHeader)) return std::nullopt;
  bytes.remove_prefix(kHeader.size());
  std::string_view line;
  if (!NextLine(bytes, line) || !line.starts_with(kVersion)) return std::nullopt;
  InstallationState state;
  const std::string_view version = line.substr(kVersion.size());
  if (version.empty() || version.find('\r') != std::string_view::npos) return std::nullopt;
  state.installedVersion = FromUtf8(version);
  // Exactly what the writer writes (UTF-8 that reads back the same), so that
  // no two texts name one record.
  if (ToUtf8(state.installedVersion) != version) return std::nullopt;
  if (NextLine(bytes, line)) {
    if (!line.starts_with(kMain)) return std::nullopt;
    line.remove_prefix(kMain.size());
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return std::nullopt;
    MainExecutableDigest digest;
    const std::string_view size = line.substr(0, blank);
    const auto [end, ec] = std::from_chars(size.data(), size.data() + size.size(), digest.size);
    digest.sha256 = std::string(line.substr(blank + 1));
    if (ec != std::errc() || end != size.data() + size.size() || (size.size() > 1 && size[0] == '0') ||
        digest.sha256.size() != 64 ||
        !IsLowerHex(digest.sha256))
      return std::nullopt;
    state.mainExecutable = std::move(digest);
  }
  if (!bytes.empty()) return std::nullopt;
  return state;
}

std::optional<MainExecutableDigest> DigestOfFile(FileSystem& files, const std::u16string& path) {
  Failure failure;
  auto reader = files.OpenRead(path, failure);
  if (!reader) return std::nullopt;
  tidewell::signing::Sha256 hash;
  MainExecutableDigest digest;
  std::uint8_t buffer[65536];
  while (true) {
    std::size_t got = 0;
    if (!reader->Read(buffer, sizeof buffer, got, failure)) return std::nullopt;
    if (got == 0) break;
    hash.Update(buffer, got);
    digest.size += got;
  }
  digest.sha256 = tidewell::signing::ToHex(hash.Finish());
  return digest;
}

std::u16string InstallationStatePath(const Places& places) {
  return JoinPath(places.applicationDir, kInstallationStateName);
}

std::u16string FindInstalledVersion(const ClientSettings& settings, const UpdateServices& services) {
  const std::u16string path = InstallationStatePath(services.places);
  const std::u16string main =
      settings.mainExecutable.empty() ? std::u16string() : JoinPath(services.places.applicationDir, settings.mainExecutable);
  if (services.files.FileExists(path)) {
    Failure ignored;
    const auto bytes = ReadWholeFile(services.files, path, kMaxRecordSize, ignored);
    const auto state = bytes ? ReadInstallationState(*bytes) : std::nullopt;
    if (!state) {
      services.log.Line("the installation's record " + ToUtf8(path) + " cannot be read: the installed version is taken as " +
                        ToUtf8(settings.appVersion));
      return settings.appVersion;
    }
    if (state->mainExecutable && !main.empty() && DigestOfFile(services.files, main) != state->mainExecutable) {
      services.log.Line("version " + ToUtf8(state->installedVersion) + " was installed here, but " + ToUtf8(main) +
                        " has changed since: the installed version is taken as " + ToUtf8(settings.appVersion));
      return settings.appVersion;
    }
    return state->installedVersion;
  }
  // Earlier clients kept the version per user. It still speaks for a folder
  // without a record when the main executable here is of that version; the
  // update that follows writes the folder's record and removes the value.
  const auto recorded = services.registry.ReadValue(StateKey(settings), u"InstalledVersion");
  if (recorded && !main.empty()) {
    const std::u16string version = RegistryValueText(*recorded);
    const auto found = services.files.Version(main);
    if (found && !version.empty()) {
      const std::u16string installed = ToU16(VersionText(*found));
      if (!IsLaterVersion(version, installed) && !IsLaterVersion(installed, version)) {
        services.log.Line("version " + ToUtf8(version) + " recorded by an earlier client agrees with " + ToUtf8(main));
        return version;
      }
    }
    services.log.Line("version " + ToUtf8(version) + " recorded by an earlier client does not agree with " +
                      ToUtf8(main) + ": the installed version is taken as " + ToUtf8(settings.appVersion));
  }
  return settings.appVersion;
}

InstallationState StateAfterUpdate(std::u16string_view version, const ClientSettings& settings,
                                   const UpdateServices& services, const std::vector<Step>& steps) {
  InstallationState state{std::u16string(version), std::nullopt};
  if (settings.mainExecutable.empty()) return state;
  std::u16string main = JoinPath(services.places.applicationDir, settings.mainExecutable);
  for (const Step& step : steps)
    if (step.kind == Step::ReplaceFile && EqualsIgnoringCase(step.target, main)) main = step.staged;
  state.mainExecutable = DigestOfFile(services.files, main);
  return state;
}

}  // namespace tidewatch::engine
