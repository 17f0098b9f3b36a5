#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "text/WString.h"

namespace tidewell {

// A program to start: its path (or a name found on the search path), its
// arguments one by one, and the folder it starts in (empty: the tool's own).
struct ProcessRequest {
  WString program;
  std::vector<WString> arguments;
  WString workingDirectory;
  bool operator==(const ProcessRequest&) const = default;
};

// Starts programs that run on their own: the client in test mode, the file
// browser, the product's updater. The tool never waits for them. Tests put a
// recorder in its place.
class ProcessStarter {
 public:
  virtual ~ProcessStarter() = default;
  // False when the program could not be started.
  virtual bool Start(const ProcessRequest& request) = 0;
  // The full path of a program on the search path, if it is there.
  virtual std::optional<WString> FindProgram(std::u16string_view name) const = 0;
};

}  // namespace tidewell
