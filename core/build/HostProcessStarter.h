#pragma once

#include "build/ProcessStarter.h"

namespace tidewell {

// Starts programs on this machine, detached from the tool: the answer says
// whether the program itself could be started (a missing or non-executable
// program answers false), not how it ends.
class HostProcessStarter final : public ProcessStarter {
 public:
  bool Start(const ProcessRequest& request) override;
  std::optional<WString> FindProgram(std::u16string_view name) const override;
};

}  // namespace tidewell
