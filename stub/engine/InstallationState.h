#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Plan.h"
#include "Platform.h"

namespace tidewatch::engine {

struct ClientSettings;
struct UpdateServices;

// What the client keeps about the installation it updates, in the
// application folder beside itself, so that the version belongs to the
// installation rather than to the user: a copy put back by a repair or a
// reinstall, or a second copy in another folder, is judged by what it holds.
// The update that brings a version writes the record as a step of its own
// transaction, so files and record never disagree.
inline constexpr std::u16string_view kInstallationStateName = u"~tidewell.state";

// The main executable as the update left it: a record whose main executable
// was replaced since by other means (a repair, a reinstall) describes files
// that are no longer there.
struct MainExecutableDigest {
  std::uint64_t size = 0;
  std::string sha256;  // 64 lower-case hexadecimal digits
  bool operator==(const MainExecutableDigest&) const = default;
};

struct InstallationState {
  std::u16string installedVersion;                   // the update version last applied
  std::optional<MainExecutableDigest> mainExecutable;  // absent: the client names none, or it was missing
  bool operator==(const InstallationState&) const = default;
};

// UTF-8 text, each line ending in LF:
//   Tidewell installation 1
//   installed-version <version>
//   main-executable <size> <SHA-256>        (optional)
std::string WriteInstallationState(const InstallationState& state);
// Exactly what the writer writes; nullopt otherwise.
std::optional<InstallationState> ReadInstallationState(std::string_view bytes);

// The size and SHA-256 of a file; nullopt when it cannot be read.
std::optional<MainExecutableDigest> DigestOfFile(FileSystem& files, const std::u16string& path);

// <ApplicationDir>\~tidewell.state
std::u16string InstallationStatePath(const Places& places);

// The installed version an update is measured against, saying in the log
// where it came from: the folder's own record while its main executable is
// as the record describes it; else, for a folder without a record, the
// value InstalledVersion that earlier clients kept per user, when the
// installed main executable's version agrees with it; else the client's
// AppVersion (string 10).
std::u16string FindInstalledVersion(const ClientSettings& settings, const UpdateServices& services);

// The record the update to `version` leaves, given its plan so far: a main
// executable that the plan replaces is described by its new bytes.
InstallationState StateAfterUpdate(std::u16string_view version, const ClientSettings& settings,
                                   const UpdateServices& services, const std::vector<Step>& steps);

}  // namespace tidewatch::engine
