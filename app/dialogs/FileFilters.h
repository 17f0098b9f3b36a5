#pragma once

#include <QString>
#include <span>

#include "files/FileSelection.h"

namespace tidewell::app {

// The filters of a file dialog as Qt writes them: each label followed by its
// patterns in parentheses ("*.exe;*.dll" becomes "*.exe *.dll"; "*.*" every
// file), joined by ";;".
QString QtFileFilters(std::span<const FileFilter> filters);

}  // namespace tidewell::app
