#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidewatch::engine {

// A file element of the server update file (its zip entries are not kept:
// the client takes the archive).
struct ServerFile {
  std::u16string destination;  // its directories joined by backslashes: "<ApplicationDir>\Data"
  std::u16string name;
  std::int32_t os = 31;
  std::optional<std::int64_t> size;
  std::u16string mode;  // empty: taken unconditionally; "a.b" a version; else a time stamp
  std::u16string src = u"\\";
  bool unzip = false;
};

struct ServerRegistryOperation {
  std::u16string key;  // "HKEY_CURRENT_USER\Software\Company"
  std::u16string name;
  std::int32_t os = 31;
  std::u16string verb;  // "Add", "Delete", "Create" or "Remove"
  std::u16string valueType;
  std::u16string valueData;
};

enum class ExecutionPoint { Welcome = 1, Download = 2, DownloadComplete = 3, InstallationComplete = 4 };

struct ServerExecution {
  ExecutionPoint point = ExecutionPoint::InstallationComplete;
  std::u16string file;  // "<ApplicationDir>\setup.exe"
};

// What the client reads from the server update file.
struct ServerUpdate {
  std::u16string updateVersion;
  std::u16string updateType;  // "Normal" or "Silent"
  std::u16string welcome, reason, license, installComplete, updateNotNeeded, silentFinished;
  bool restart = false;
  std::vector<ServerFile> files;                    // in tree order
  std::vector<ServerRegistryOperation> registry;    // in tree order
  std::vector<ServerExecution> executions;          // in list order

  bool silent() const { return updateType == u"Silent"; }
};

// Reads a server update file's text. Anything that is not a whole document
// with the root Tidemark and an update version (an HTML page, a file cut
// short) is refused: nullopt, with `error` saying why.
std::optional<ServerUpdate> ReadServerUpdate(std::u16string_view text, std::string* error = nullptr);

}  // namespace tidewatch::engine
