#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tidewell {

// Every file the tool writes is replaced in one step: the new content goes to
// a temporary file in the folder of the file it replaces, which is flushed,
// given the replaced file's mode (and owner and group, where allowed) and
// renamed over it. On any failure the previous file stays exactly as it was.
//
// A target that is a symbolic link is written through: the file replaced is
// the one the link leads to, and the link stays a link. A target the user may
// not write, or that is no regular file, is refused before anything is
// written.
//
// Where the system offers it, the temporary file has no name until the very
// end, so a process killed while writing leaves nothing behind. Otherwise its
// name marks it as this tool's own, and such leftovers of the same target
// are removed at the next write.
//
// `error` receives a short reason naming the file, with the system's own
// words where it gave any ("No space left on device").

// Fills the temporary file at the path it receives (a path that may only be
// valid while the callback runs) and answers true when it holds the complete
// content.
using FillTemporary = std::function<bool(const std::filesystem::path& temporary)>;

bool ReplaceFileAtomically(const std::filesystem::path& target, const FillTemporary& fill,
                           std::string* error = nullptr);
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         std::string* error = nullptr);

// Copies the content of `source` into the existing file `destination`, for
// a FillTemporary. Answers false with the file and the system's reason.
bool CopyFileContents(const std::filesystem::path& source,
                      const std::filesystem::path& destination, std::string* error = nullptr);

// The file a write to `path` changes: the end of its chain of symbolic links
// (which need not exist yet), or `path` itself when it is no link.
std::optional<std::filesystem::path> ResolveWriteTarget(const std::filesystem::path& path,
                                                        std::string* error = nullptr);

// Refuses an existing `target` that is no regular file, that is read-only for
// everyone, or that this process may not open for writing. A target that does
// not exist yet passes.
bool CheckReplaceable(const std::filesystem::path& target, std::string* error = nullptr);

// The reason for a failed system call, in the system's words.
std::string SystemReason(int errorNumber);

// Puts a complete file, written elsewhere in the target's folder, in place
// of `target`: flushed to disk, then renamed over it, the rename itself made
// durable. On failure the target stays as it was.
bool MoveIntoPlace(const std::filesystem::path& finished, const std::filesystem::path& target,
                   std::string* error = nullptr);

// This process's id, and whether another process of that id still runs
// (always false on Windows, where a file in use cannot be removed anyway).
int CurrentProcessId();
bool ProcessIsAlive(int pid);

}  // namespace tidewell
