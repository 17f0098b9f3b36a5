#pragma once

#include <vector>

namespace tidewell::app {

// What a column of a view needs: the width that shows its header and its
// usual texts whole, and the narrowest it may become (its texts elided).
struct ColumnNeed {
  int natural = 0;
  int floor = 0;
};

// The widths of the columns of a view `available` pixels wide. The first
// column takes what the others leave at their natural widths. When that is
// less than its floor, the other columns give up room, in `shrinkOrder`
// (indexes of columns), each down to its floor. When even the floors do
// not fit, every column keeps its floor and the view scrolls sideways.
std::vector<int> FitColumns(int available, const std::vector<ColumnNeed>& needs,
                            const std::vector<int>& shrinkOrder);

}  // namespace tidewell::app
