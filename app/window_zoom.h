#pragma once
// Options, "Zoom" scales the whole program through Qt's own scale factor, so every window, font
// and drawn picture is rendered at the zoomed density instead of being enlarged afterwards.

#include <optional>
#include <string>
#include <string_view>

namespace korvel::app {

inline constexpr const char* kScaleFactorVariable = "QT_SCALE_FACTOR";

// The scale factor text to run with at zoomPercent, given the factor the user's environment
// already sets (empty or unreadable: none): the two multiply. Nothing at 100%, which leaves the
// environment as it is.
std::optional<std::string> zoomedScaleFactor(std::string_view userFactor, int zoomPercent);

}  // namespace korvel::app
