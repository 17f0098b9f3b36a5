#pragma once

#include <string>

#include "Platform.h"

namespace tidewatch {

// The update log: one UTF-8 line per event, each starting with the local
// time, appended and closed at once so that a killed client loses nothing.
// Kept under 1 MiB: a longer log keeps its newer half.
class UpdateLogFile : public engine::Log {
 public:
  // %LOCALAPPDATA%\Tidewell\<company>\<title>\update.log
  UpdateLogFile(const std::u16string& company, const std::u16string& title);
  void Line(std::string_view text) override;
  const std::u16string& path() const { return path_; }

 private:
  std::u16string path_;
};

}  // namespace tidewatch
