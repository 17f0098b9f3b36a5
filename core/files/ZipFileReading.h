#pragma once

#include <ioapi.h>

namespace tidewell {

// File functions for the zip reader on POSIX systems: reads through a buffer
// of the archive's own, at positions given with each read, so the many short
// reads and seeks of walking an archive's directory cost a system call only
// when they leave the buffer. Read-only.
void FillBufferedZipFileFunctions(zlib_filefunc64_def& functions);

}  // namespace tidewell
