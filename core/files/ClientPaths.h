#pragma once

#include <string_view>

// The one rule for a path that becomes a place on the end user's machine
// below a folder the client knows: a file's sub-folders and name, an
// archive's entry, an execution's file, a step of the client's journal. The
// tool refuses to write what the client would refuse, so both use this rule.
// Plain C++ without the rest of the core: the update client compiles it in.
namespace tidewell {

enum class ClientPathFault {
  None,
  Empty,               // no name, or an empty part between two separators or at the end
  Rooted,              // a drive ("C:"), a share or device ("\\server", "\\?\") or the root ("\")
  DotPart,             // a part "." or ".."
  Stream,              // ":" in a part, which names an alternate data stream
  DeviceName,          // CON, PRN, AUX, NUL, COM0-COM9, LPT0-LPT9, CONIN$, CONOUT$, with or without extension
  TrailingDotOrBlank,  // a part ending in "." or " ", which Windows drops
  Character,           // < > " | ? * or a control character
};

// `relative`: the path below its folder, parts separated by "\" or "/".
ClientPathFault CheckClientPath(std::u16string_view relative);

// Why a path is refused, in words ("a part is \".\" or \"..\""); empty for None.
const char* ClientPathFaultText(ClientPathFault fault);

// A character a name on the end user's Windows machine cannot hold:
// < > " | ? * and control characters (the separators and ":" have their own
// meanings above).
bool IsForbiddenNameCharacter(char16_t c);

// Whether `path` is `folder` itself (when `orItself`) or lies below it, the
// part below passing the rule. Letters A to Z match without regard to case;
// a separator at the end of `folder` is ignored; an empty folder holds nothing.
bool LiesInClientFolder(std::u16string_view folder, std::u16string_view path, bool orItself = false);

}  // namespace tidewell
