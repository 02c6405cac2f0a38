#pragma once
// Which zoom steps the main window fits at: a step is offered only when the window, enlarged by
// it, fits into the screen's available area (the desktop less its panels), so the rack, the
// status line and the chat input never end up off the screen. Sizes are in unzoomed units: the
// pixels a window has at 100% (the user's own Qt scale factor aside).

#include <array>

#include "app/settings.h"

namespace korvel::app {

struct ZoomSize {
  int width = 0, height = 0;
};

// The main window at 100% as it needs the screen: the reset size with room for a window frame
// (borders and a title bar).
inline constexpr ZoomSize kZoomWindow{775 + 2 * 4, 585 + 32 + 4};

// True when `window` enlarged by `percent` fits into `available` (both sides, edges included).
bool zoomFits(ZoomSize window, int percent, ZoomSize available);

// For each of kZoomSteps: whether it fits. 100% is always offered, whatever the screen, so that
// there is always a step to go back to.
std::array<bool, kZoomSteps.size()> fittingZoomSteps(ZoomSize window, ZoomSize available);

// The zoom to run at: `wanted` when it fits, else the largest step below it that does (100 at
// the least).
int fittingZoom(int wanted, ZoomSize window, ZoomSize available);

// The available area in unzoomed units from what a program running at `runningPercent` sees
// (Qt gives sizes divided by the zoom).
ZoomSize unzoomedArea(ZoomSize seen, int runningPercent);

}  // namespace korvel::app
