// The leave table reader on arbitrary text: it either refuses the text or gives a table whose
// weights are all finite and within bounds, and whose own text reads back to the same table.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "bot/leave_values.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto table = korvel::bot::LeaveValues::fromText(text);
  if (!table) return 0;
  for (double w : table->weights) {
    if (!std::isfinite(w) || std::fabs(w) > 1000.0) std::abort();
  }
  const auto again = korvel::bot::LeaveValues::fromText(table->toText());
  if (!again) std::abort();
  for (std::size_t i = 0; i < table->weights.size(); ++i) {
    // The text keeps three decimals.
    if (std::fabs(again->weights[i] - table->weights[i]) > 0.0005) std::abort();
  }
  korvel::bot::LetterCounts kept{};
  for (std::size_t i = 0; i < size && i < 8; ++i) ++kept[1 + data[i] % 26];
  if (!std::isfinite(table->value(kept))) std::abort();
  return 0;
}
