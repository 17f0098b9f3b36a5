#pragma once

#include "toolkit/NavigationBar.h"

class QMainWindow;

namespace tidewell::app {

class QtPreferences;

// The main window's place on the screen and the navigation item selected at
// exit, kept in the preferences between sessions.
inline constexpr char16_t kPlacementValue[] = u"MainFrameWindowPlacement";
inline constexpr char16_t kPaneValue[] = u"pane";
inline constexpr char16_t kItemValue[] = u"item";

// The navigation item to select at start: the "Build" item at the first start
// (no preferences at all); a value that cannot be read counts as 0; a
// position that names no page of `bar` falls back to "Build" as well.
NavigationPosition StartNavigationPosition(const QtPreferences& preferences,
                                           const NavigationBar& bar);

// Applies the stored placement to the window (without showing it). False
// when there is none or it cannot be read: the window then starts maximised.
bool RestorePlacement(const QtPreferences& preferences, QMainWindow& window);

// Stores the placement and the selected navigation item; a refused write is
// ignored.
void StoreWindowState(QtPreferences& preferences, const QMainWindow& window,
                      NavigationPosition selected);

}  // namespace tidewell::app
