#include "app/window_geometry.h"

#include <algorithm>

namespace korvel::app {

ClientSize snapClientSize(ClientSize requested) {
  return {std::max(requested.width, kMinClientWidth), std::max(requested.height, kMinClientHeight)};
}

std::optional<WindowRect> geometryToSave(const WindowRect& window, const WindowRect& saved,
                                         const WindowRect& workArea) {
  if (window == saved) return std::nullopt;
  WindowRect result = window;
  if (result.width > workArea.width) result.width -= 15;
  if (result.height > workArea.height) result.height -= 15;
  return result;
}

}  // namespace korvel::app
