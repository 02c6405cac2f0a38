#include "app/window_zoom.h"

#include <charconv>
#include <cmath>

namespace korvel::app {

std::optional<std::string> zoomedScaleFactor(std::string_view userFactor, int zoomPercent) {
  if (zoomPercent == 100 || zoomPercent <= 0) return std::nullopt;
  // Locale-free both ways: Qt reads the variable with a "." whatever the user's language.
  double user = 1;
  double parsed = 0;
  const char* end = userFactor.data() + userFactor.size();
  const auto read = std::from_chars(userFactor.data(), end, parsed);
  if (read.ec == std::errc() && read.ptr == end && std::isfinite(parsed) && parsed > 0)
    user = parsed;
  char buffer[32];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, user * zoomPercent / 100.0);
  return std::string(buffer, written.ptr);
}

}  // namespace korvel::app
