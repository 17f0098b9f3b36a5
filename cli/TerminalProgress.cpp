#include "cli/TerminalProgress.h"

#include <cstdio>

#include <unistd.h>

namespace tidewell::cli {

std::string ReadableSize(std::uint64_t bytes) {
  static const char* units[] = {"B", "KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes);
  int unit = 0;
  while (value >= 1000 && unit < 4) {
    value /= 1000;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", value, units[unit]);
  return text;
}

TerminalProgress::TerminalProgress() : terminal_(::isatty(STDOUT_FILENO) == 1) {}

TerminalProgress::~TerminalProgress() { Clear(); }

void TerminalProgress::Show(const std::string& stage, const std::string& file,
                            std::uint64_t done, std::uint64_t total) {
  if (!terminal_) return;
  const auto now = std::chrono::steady_clock::now();
  if (stage != stage_) {
    stage_ = stage;
    start_ = now;
  } else if (now - last_ < std::chrono::milliseconds(100) && done < total) {
    return;
  }
  last_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const int width = 24;
  const int filled = total ? static_cast<int>(static_cast<double>(done) / static_cast<double>(total) * width) : width;
  std::string bar(static_cast<std::size_t>(filled), '#');
  bar.resize(width, '.');
  std::string line = stage + " [" + bar + "] " + ReadableSize(done) + " of " + ReadableSize(total);
  if (seconds > 0.2) line += "  " + ReadableSize(static_cast<std::uint64_t>(static_cast<double>(done) / seconds)) + "/s";
  if (!file.empty()) line += "  " + file;
  if (line.size() > 110) line = line.substr(0, 107) + "...";
  std::printf("\r%-110s", line.c_str());
  std::fflush(stdout);
  shown_ = true;
}

void TerminalProgress::Clear() {
  if (!shown_) return;
  std::printf("\r%-110s\r", "");
  std::fflush(stdout);
  shown_ = false;
}

}  // namespace tidewell::cli
