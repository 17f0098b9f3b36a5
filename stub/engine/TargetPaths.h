#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Plan.h"
#include "Platform.h"
#include "ServerUpdate.h"

// Where what the server update file names lands on this machine. Every path
// below a known folder passes the one path rule (files/ClientPaths.h), so
// nothing the server file, an archive or a journal says can reach a place
// outside the folder it names. Each refusal says what it refuses and why.
namespace tidewatch::engine {

// "<ApplicationDir>\Data" as a folder of this machine; nullopt for a root
// the client does not know. The part after the root is not checked.
std::optional<std::u16string> ResolvePlace(std::u16string_view destination, const Places& places);

// The place of a file of the server file: its folder resolved, its
// sub-folders and name checked. Nullopt with `error` when it is refused.
std::optional<std::u16string> FileTarget(const ServerFile& file, const Places& places, std::string& error);

// The program an execution starts: nullopt with an empty `error` when its
// root is not a folder the client knows, with `error` when it is refused.
std::optional<std::u16string> ExecutionTarget(const ServerExecution& execution, const Places& places,
                                              std::string& error);

// An archive's entry unpacked into `folder`.
std::optional<std::u16string> EntryTarget(const std::u16string& folder, const std::u16string& entryName,
                                          const std::string& archive, std::string& error);

// Every file (for any system) and every execution of an update, before the
// update is offered: false with `error` naming the first one refused.
bool CheckUpdatePaths(const ServerUpdate& update, std::string& error);

// The steps of a journal before an undo acts on them: folders and files lie
// in one of the client's folders, new and old copies in the work folder.
// False with `error` naming the first step that does not.
bool CheckJournalSteps(const std::vector<Step>& steps, const Places& places, std::string& error);

}  // namespace tidewatch::engine
