#include "models/ColumnFit.h"

#include <algorithm>
#include <numeric>

namespace tidewell::app {

std::vector<int> FitColumns(int available, const std::vector<ColumnNeed>& needs,
                            const std::vector<int>& shrinkOrder) {
  std::vector<int> widths;
  widths.reserve(needs.size());
  for (const ColumnNeed& need : needs) widths.push_back(std::max(need.natural, need.floor));
  if (widths.empty()) return widths;
  const auto others = [&] { return std::accumulate(widths.begin() + 1, widths.end(), 0); };
  int deficit = needs.front().floor - (available - others());
  for (const int column : shrinkOrder) {
    if (deficit <= 0) break;
    if (column <= 0 || column >= static_cast<int>(widths.size())) continue;
    const int give = std::min(deficit, widths[column] - needs[column].floor);
    if (give <= 0) continue;
    widths[column] -= give;
    deficit -= give;
  }
  widths.front() = std::max(needs.front().floor, available - others());
  return widths;
}

}  // namespace tidewell::app
