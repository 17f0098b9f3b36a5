#include "FuzzTarget.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>

#include "targets/Targets.h"

namespace tidewell::fuzz {

namespace {

constexpr FuzzTarget kTargets[] = {
    {"project-document", RunProjectDocument},
    {"markup-scan", RunMarkupScan},
    {"pe-reader", RunPeReader},
    {"version-reader", RunVersionReader},
    {"icon-image", RunIconImage},
    {"resource-editor", RunResourceEditor},
    {"zip-entries", RunZipEntries},
    {"bitmap", RunBitmap},
    {"variables", RunVariables},
    {"server-file", RunServerFile},
    {"signature-file", RunSignatureFile},
    {"client-zip", RunClientZip},
    {"journal", RunJournal},
    {"installation-state", RunInstallationState},
};

void AbortOnFinding(const std::string& what) {
  std::fprintf(stderr, "FINDING: %s\n", what.c_str());
  std::abort();
}

FindingHandler findingHandler = AbortOnFinding;

// Kept for the whole run (never destroyed), so the clean-up at exit can
// still name it.
const std::filesystem::path& ScratchFolder() {
  static const std::filesystem::path* folder = [] {
    auto* made = new std::filesystem::path(std::filesystem::temp_directory_path() /
                                           ("tidewell-fuzz-" + std::to_string(getpid())));
    std::filesystem::create_directories(*made);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(ScratchFolder(), ignored);
    });
    return made;
  }();
  return *folder;
}

}  // namespace

std::span<const FuzzTarget> AllTargets() { return kTargets; }

const FuzzTarget* FindTarget(std::string_view name) {
  for (const FuzzTarget& target : kTargets)
    if (target.name == name) return &target;
  return nullptr;
}

void SetFindingHandler(FindingHandler handler) { findingHandler = handler; }

void ReportFinding(const std::string& what) { findingHandler(what); }

std::filesystem::path WriteScratchFile(std::string_view name, std::string_view bytes) {
  const std::filesystem::path path = ScratchFolder() / name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) ReportFinding("the scratch file could not be written: " + path.string());
  return path;
}

}  // namespace tidewell::fuzz
