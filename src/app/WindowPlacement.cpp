#include "app/WindowPlacement.h"

#include <algorithm>

namespace kip {

namespace {

// At least this much of the title bar must be on screen to grab it.
constexpr int kMinimumVisibleWidth = 64;

BOOL CALLBACK CollectWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info)) reinterpret_cast<std::vector<RECT>*>(data)->push_back(info.rcWork);
  return TRUE;
}

}  // namespace

bool IsPlacementVisible(const RECT& window, const std::vector<RECT>& workAreas, int captionHeight) {
  RECT titleBar{window.left, window.top, window.right, window.top + std::max(captionHeight, 1)};
  int neededWidth = std::min<int>(kMinimumVisibleWidth, window.right - window.left);
  int neededHeight = std::max(captionHeight / 2, 1);
  for (const RECT& area : workAreas) {
    RECT overlap{};
    if (!IntersectRect(&overlap, &titleBar, &area)) continue;
    if (overlap.right - overlap.left >= neededWidth && overlap.bottom - overlap.top >= neededHeight) return true;
  }
  return false;
}

POINT NormalPositionOnScreen(HWND window) {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  GetWindowPlacement(window, &placement);
  POINT position{placement.rcNormalPosition.left, placement.rcNormalPosition.top};
  // Tool windows already use screen coordinates in their placement.
  if (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) return position;
  MONITORINFO info{};
  info.cbSize = sizeof info;
  HMONITOR monitor = MonitorFromRect(&placement.rcNormalPosition, MONITOR_DEFAULTTONEAREST);
  if (monitor && GetMonitorInfoW(monitor, &info)) position = WorkspaceToScreen(position, info.rcMonitor, info.rcWork);
  return position;
}

POINT WorkspaceToScreen(POINT workspace, const RECT& monitor, const RECT& workArea) {
  return {workspace.x + workArea.left - monitor.left, workspace.y + workArea.top - monitor.top};
}

std::vector<RECT> MonitorWorkAreas() {
  std::vector<RECT> areas;
  EnumDisplayMonitors(nullptr, nullptr, CollectWorkArea, reinterpret_cast<LPARAM>(&areas));
  return areas;
}

}  // namespace kip
