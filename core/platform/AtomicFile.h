#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tidewell {

// Writes `bytes` to a temporary file in the target's folder, flushes it and
// renames it over `target`. On any failure the temporary file is removed and
// the previous file at `target` is left exactly as it was. `error` receives a
// short reason when given.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         std::string* error = nullptr);

// The same for a writer that fills an already opened temporary file: the
// callback receives the temporary path and must leave the complete content
// there; the rename happens only when it answers true.
template <typename Fill>
bool ReplaceFileAtomically(const std::filesystem::path& target, Fill&& fill,
                           std::string* error = nullptr);

// Creates a unique temporary path beside `target` (not the file itself).
std::filesystem::path TemporaryPathBeside(const std::filesystem::path& target);
// Renames `temporary` over `target`; removes `temporary` on failure.
bool CommitTemporary(const std::filesystem::path& temporary, const std::filesystem::path& target,
                     std::string* error = nullptr);

template <typename Fill>
bool ReplaceFileAtomically(const std::filesystem::path& target, Fill&& fill, std::string* error) {
  const std::filesystem::path temporary = TemporaryPathBeside(target);
  bool filled = false;
  try {
    filled = fill(temporary);
  } catch (...) {
    filled = false;
  }
  if (!filled) {
    std::error_code ec;
    std::filesystem::remove(temporary, ec);
    if (error && error->empty()) *error = "could not write " + temporary.string();
    return false;
  }
  return CommitTemporary(temporary, target, error);
}

}  // namespace tidewell
