#pragma once

#ifndef _WIN32

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace tidewell {

// Reads up to `count` bytes of an open file from `offset` on, whatever its
// position, until they are all in or the file ends; a signal does not cut
// it short. The number of bytes read, or -1 on an error.
ssize_t ReadAt(int descriptor, void* into, size_t count, uint64_t offset);

}  // namespace tidewell

#endif
