#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace tidewell::cli {

// One line on the terminal, rewritten in place: a bar, bytes done of all,
// the speed and the file. Silent when stdout is not a terminal.
class TerminalProgress {
 public:
  TerminalProgress();
  ~TerminalProgress();
  void Show(const std::string& stage, const std::string& file, std::uint64_t done,
            std::uint64_t total);
  // Clears the line before other output.
  void Clear();

 private:
  bool terminal_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point start_, last_;
  std::string stage_;
};

// "12.3 MB": bytes for people.
std::string ReadableSize(std::uint64_t bytes);

}  // namespace tidewell::cli
