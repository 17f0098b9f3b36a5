#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "publish/LocalRelease.h"
#include "publish/PublishTarget.h"

namespace tidewell::publish {

// Where a release goes: the server file's folder, and the place of the
// update files with their folder below it ("" for its root).
struct PublishPlaces {
  PublishTarget* server = nullptr;
  std::string serverFileName;  // the server file's name on the server
  PublishTarget* files = nullptr;  // the same target as `server` when the files lie below it
  std::string filesPrefix;
};

struct PublishProgress {
  std::string file;             // the file being sent, by its target path
  std::uint64_t sent = 0;       // bytes sent of all that is sent
  std::uint64_t toSend = 0;
};
// Told as the uploads go; false cancels, which is honoured until the first
// file is put in place (from then on the publish finishes, in moments).
using PublishProgressFn = std::function<bool(const PublishProgress&)>;

struct PublishReport {
  std::vector<std::string> sent;       // target paths of the files sent
  std::size_t unchanged = 0;           // files the target held already
  std::vector<std::string> leftInPlace;  // the previous release's files the new one no longer lists
  std::vector<std::string> pruned;
  std::uint64_t bytesSent = 0;
  bool cancelled = false;
};

// Publishes a release in an order no client can catch half done:
//  1. every file that is new or changed (by size and SHA-256 against what
//     the publish record says the target holds), patches included, is
//     uploaded under a temporary name;
//  2. each is renamed into place, and the publish record is updated;
//  3. the patch list (when the release has one), the signature file, then
//     the server file, are uploaded under temporary names and renamed into
//     place, the server file last.
// A failure or a cancel during the uploads leaves the previous release as it
// was (temporary files are removed); running the publish again finishes it.
// Files of the previous release that the new one no longer lists stay for
// clients that still hold the old server file; with `prune`, files this tool
// placed that neither release lists are removed.
bool Publish(const LocalRelease& release, const PublishPlaces& places, bool prune,
             const PublishProgressFn& progress, PublishReport& report, std::string& error);

}  // namespace tidewell::publish
