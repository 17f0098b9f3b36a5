#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "publish/LocalRelease.h"
#include "support/TempDir.h"

namespace tidewell::testing {

// A project whose release is built by the command-line tool: its update
// files (server path -> content) in a staging folder, its addresses below
// `serverUrl`'s folder, signed with the tests' key.
class ReleaseFixture {
 public:
  explicit ReleaseFixture(const std::filesystem::path& dir) : dir_(dir) {}

  // Writes the files and the project, then builds the update XML file and
  // its signature file (with `buildArguments` added to the command line);
  // false with the tool's output.
  bool Build(const std::map<std::string, std::string>& files, std::string& output,
             const std::string& serverUrl = "http://127.0.0.1:9/up/Update.xml",
             const std::string& filesUrl = "http://127.0.0.1:9/up/files",
             const std::vector<std::string>& buildArguments = {});
  publish::LocalRelease Read() const;

  std::filesystem::path Project() const { return dir_ / "project" / "Settings.xml"; }
  std::filesystem::path ServerFile() const { return dir_ / "project" / "Update.xml"; }
  std::filesystem::path Stage() const { return dir_ / "stage"; }

 private:
  std::filesystem::path dir_;
};

}  // namespace tidewell::testing
