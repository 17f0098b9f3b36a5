#pragma once

#include <string>

#include "Platform.h"
#include "WindowsWorkers.h"

namespace tidewatch {

// The update log: one UTF-8 line per event, each starting with the local
// time, written straight to the file (no buffer in the process) so that a
// killed client loses nothing. The file stays open for the run, shared for
// reading. Kept under 1 MiB: a longer log keeps its newer half. Lines from
// several threads are written whole, one after another.
class UpdateLogFile : public engine::Log {
 public:
  // %LOCALAPPDATA%\Tidewell\<company>\<title>\update.log
  UpdateLogFile(const std::u16string& company, const std::u16string& title);
  ~UpdateLogFile() override;
  UpdateLogFile(const UpdateLogFile&) = delete;
  UpdateLogFile& operator=(const UpdateLogFile&) = delete;
  void Line(std::string_view text) override;
  const std::u16string& path() const { return path_; }

 private:
  std::u16string path_;
  WindowsLock lock_;      // over the file
  void* file_ = nullptr;  // opened on the first line
};

}  // namespace tidewatch
