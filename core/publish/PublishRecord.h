#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "signing/SignatureFile.h"

namespace tidewell::publish {

// What the tool has put on a target: every file it placed there, by its
// target path, with the size and SHA-256 it wrote. Kept on the target beside
// the update files, so that a later publish knows what the target holds
// without downloading it, and so that --prune removes only files this tool
// placed. Text, one line each:
//
//   Tidewell publish record 1
//   file <size> <SHA-256> <target path>
inline constexpr std::string_view kPublishRecordName = ".tidewell-published";

using PublishRecord = std::map<std::string, signing::FileDigest>;

std::string WritePublishRecord(const PublishRecord& record);
// nullopt for a damaged record (a publish then sends every file again).
std::optional<PublishRecord> ReadPublishRecord(std::string_view text);

}  // namespace tidewell::publish
