// Whether a stored window position can still be shown: a laptop undocked
// from its second screen must not reopen its window where no monitor is.
#pragma once

#include <windows.h>

#include <vector>

namespace kip {

// True when enough of the window's title bar lies on one of the work areas
// for the user to see and drag it.
bool IsPlacementVisible(const RECT& window, const std::vector<RECT>& workAreas, int captionHeight);

// The screen position of the window's restored (normal) rectangle. Window
// placements give it relative to the work area of the window's monitor,
// which starts below or right of a taskbar at the top or left; the stored
// position and SetWindowPos use screen coordinates.
POINT NormalPositionOnScreen(HWND window);
// A point in the workspace coordinates of a monitor, in screen coordinates.
POINT WorkspaceToScreen(POINT workspace, const RECT& monitor, const RECT& workArea);

// The work areas of the monitors present now.
std::vector<RECT> MonitorWorkAreas();

}  // namespace kip
