#pragma once
// Size and position rules of the main window, free of any toolkit.

#include <optional>

namespace korvel::app {

struct WindowRect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const WindowRect&) const = default;
};

// The client area never becomes smaller than the board panel plus 4 pixels each way.
inline constexpr int kBoardPanelWidth = 764;
inline constexpr int kBoardPanelHeight = 537;
inline constexpr int kMinClientWidth = kBoardPanelWidth + 4;
inline constexpr int kMinClientHeight = kBoardPanelHeight + 4;
// "Reset Screen Location" puts the window here.
inline constexpr WindowRect kResetLocation{3, 3, 775, 585};

struct ClientSize {
  int width, height;
};
// The client size after a resize: each side snapped up to its minimum.
ClientSize snapClientSize(ClientSize requested);

// On closing: nothing to save when the window is where it was saved; otherwise the geometry to
// save, 15 pixels narrower (lower) when the window is wider (taller) than the work area.
std::optional<WindowRect> geometryToSave(const WindowRect& window, const WindowRect& saved,
                                         const WindowRect& workArea);

}  // namespace korvel::app
