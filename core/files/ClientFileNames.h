#pragma once

#include <cstddef>
#include <string_view>

#include "text/WString.h"

namespace tidewell {

// Names the update client can give a file or folder on the end user's
// Windows machine. A host such as Linux allows names Windows does not: a
// backslash would become a folder separator in the client's paths, a "<"
// would read as a zip entry, and the others cannot be created there. Such
// files are left out, with a word to the publisher.

// False for an empty name, for one holding \ / : * ? " < > | or a control
// character, ending in a dot or a blank, or naming a device (CON, NUL, COM1,
// ...): the client's path rule for one part (files/ClientPaths.h).
bool IsWindowsFileName(std::u16string_view name);

inline const WString kLeftOutCaption = u"Files left out";
// "N file(s) or folder(s) were left out: ..." listing the characters.
WString LeftOutMessage(size_t count);

}  // namespace tidewell
