#include "app/zoom_fit.h"

#include <cstdint>

namespace korvel::app {

bool zoomFits(ZoomSize window, int percent, ZoomSize available) {
  // In 64 bits: a screen's size times a percentage stays far below any overflow.
  const auto fits = [percent](int side, int room) {
    return static_cast<std::int64_t>(side) * percent <= static_cast<std::int64_t>(room) * 100;
  };
  return fits(window.width, available.width) && fits(window.height, available.height);
}

std::array<bool, kZoomSteps.size()> fittingZoomSteps(ZoomSize window, ZoomSize available) {
  std::array<bool, kZoomSteps.size()> fit{};
  for (std::size_t n = 0; n < kZoomSteps.size(); ++n) {
    fit[n] = kZoomSteps[n] == 100 || zoomFits(window, kZoomSteps[n], available);
  }
  return fit;
}

int fittingZoom(int wanted, ZoomSize window, ZoomSize available) {
  int best = 100;
  for (int step : kZoomSteps) {
    if (step <= wanted && zoomFits(window, step, available)) best = step;
  }
  return best;
}

ZoomSize unzoomedArea(ZoomSize seen, int runningPercent) {
  const auto scale = [runningPercent](int side) {
    return static_cast<int>(static_cast<std::int64_t>(side) * runningPercent / 100);
  };
  return {scale(seen.width), scale(seen.height)};
}

}  // namespace korvel::app
