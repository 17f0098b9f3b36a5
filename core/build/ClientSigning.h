#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace tidewell {

// The environment variable a build pipeline names its sign command in.
inline constexpr const char* kSignCommandVariable = "TIDEWELL_SIGN_COMMAND";
// The placeholders of a sign command: the client to sign, and where a
// command that does not sign in place writes the signed copy.
inline constexpr std::string_view kFilePlaceholder = "{file}";
inline constexpr std::string_view kSignedPlaceholder = "{signed}";

// The sign command of a build: `given` when it is not blank, otherwise the
// one TIDEWELL_SIGN_COMMAND names; empty when there is none.
std::string SignCommandFor(const std::string& given);

// Why a sign command cannot be used (it names no {file}, or names a
// placeholder twice), or empty when it can.
std::string SignCommandProblem(const std::string& command);

// The command line run for `command`: every placeholder replaced by its
// path quoted for the shell. A placeholder already written in quotes
// ("{file}" or '{file}') loses them, since the path brings its own.
std::string ExpandSignCommand(const std::string& command, const std::filesystem::path& file,
                              const std::filesystem::path& signedCopy);

// Whether a file is a PE image that carries a certificate table inside it.
bool CarriesSignature(const std::filesystem::path& file, std::string* error);

// Writes `target` signed: `fill` writes the complete unsigned file to the
// path it is given (in a private folder beside the target), the command
// signs it there (in place, or into a copy at {signed}), the result is
// checked to be a signed PE image, and only then does it replace the target
// in one step. When anything fails the target stays as it was, nothing is
// left behind, and `error` holds the reason with the command's output.
bool WriteSignedFile(const std::filesystem::path& target, const std::string& command,
                     const std::function<bool(const std::filesystem::path&)>& fill,
                     std::string* error);

}  // namespace tidewell
