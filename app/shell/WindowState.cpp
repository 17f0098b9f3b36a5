#include "shell/WindowState.h"

#include <QMainWindow>

#include "shell/PageCommands.h"
#include "shell/QtPreferences.h"

namespace tidewell::app {

NavigationPosition StartNavigationPosition(const QtPreferences& preferences,
                                           const NavigationBar& bar) {
  const NavigationPosition build = bar.Find(static_cast<int>(Command::ReleasePage));
  if (!preferences.KeyExists()) return build;
  const NavigationPosition stored{preferences.ReadNumber({}, kPaneValue).value_or(0),
                                  preferences.ReadNumber({}, kItemValue).value_or(0)};
  // Only a page can be shown; "About" is a command, and a hand-edited value
  // may name nothing at all.
  const int command = bar.ItemData(stored);
  const bool isPage = command >= 0 && command != static_cast<int>(Command::About);
  return isPage ? stored : build;
}

bool RestorePlacement(const QtPreferences& preferences, QMainWindow& window) {
  const auto placement = preferences.ReadBytes({}, kPlacementValue);
  if (!placement || !window.restoreGeometry(*placement)) return false;
  // A window left minimised opens in its normal state.
  window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  return true;
}

void StoreWindowState(QtPreferences& preferences, const QMainWindow& window,
                      NavigationPosition selected) {
  preferences.WriteBytes({}, kPlacementValue, window.saveGeometry());
  preferences.WriteNumber({}, kPaneValue, selected.group);
  preferences.WriteNumber({}, kItemValue, selected.item);
  preferences.Flush();
}

}  // namespace tidewell::app
