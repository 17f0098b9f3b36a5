#pragma once

#include "Platform.h"

namespace tidewatch {

// Programs started through the shell.
class WindowsShell : public engine::Shell {
 public:
  bool Start(const std::u16string& file, const std::u16string& directory, unsigned waitMs,
             engine::Failure& failure) override;
};

class WindowsClock : public engine::Clock {
 public:
  void Sleep(unsigned milliseconds) override;
  std::uint64_t Milliseconds() override;
};

// The client's own folder and executable, Program Files, the system and
// Windows folders.
engine::Places ClientPlaces();
// Only the client's own folder and executable: what a start that may end at
// once needs, without the shell's known folders.
engine::Places ClientOwnPlaces();
// %LOCALAPPDATA% (the known folder), empty when there is none.
std::u16string LocalAppDataFolder();

}  // namespace tidewatch
