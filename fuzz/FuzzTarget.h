#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

namespace tidewell::fuzz {

// One entry point that takes arbitrary bytes and drives a reader or the
// editor with them. It must never crash, hang or grow memory faster than the
// input; a property it checks and finds broken is reported through
// ReportFinding.
struct FuzzTarget {
  std::string_view name;  // also the folder name of its corpus and regressions
  void (*run)(std::string_view input);
};

std::span<const FuzzTarget> AllTargets();
const FuzzTarget* FindTarget(std::string_view name);

// What happens to a broken property: the fuzzer aborts so that libFuzzer
// keeps the input; the replay tests record it as a failure.
using FindingHandler = void (*)(const std::string& what);
void SetFindingHandler(FindingHandler handler);
void ReportFinding(const std::string& what);
inline void Expect(bool holds, const char* what) {
  if (!holds) ReportFinding(what);
}

// A file of this process's own temporary folder holding `bytes`, for the
// readers that take only a path. The folder is removed when the process ends.
std::filesystem::path WriteScratchFile(std::string_view name, std::string_view bytes);

}  // namespace tidewell::fuzz
