#pragma once
// Colours as text, the way chat messages and the settings file carry them: one of 42 names
// ("clBlack" ... "clNone") or "$" and eight upper-case hexadecimal digits. A colour value keeps
// the Windows layout 0x00BBGGRR; 0x80000000 + n is system colour n, 0x1FFFFFFF is "no colour".

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvel::client {

using Colour = std::uint32_t;

inline constexpr Colour kBlack = 0x000000;
inline constexpr Colour kRed = 0x0000FF;
inline constexpr Colour kBlue = 0xFF0000;

struct ColourName {
  std::string_view name;
  Colour value;
};

// Writing order: the first entry whose value matches gives the name.
extern const std::array<ColourName, 42> kColourNames;

// An integer as text: decimal with an optional sign, or "$" and 1 to 8 hexadecimal digits (read
// as the 32 bits of a signed integer, so "$FFFFFFFF" is -1). Anything else, including blanks and
// values outside 32 bits, gives nothing.
std::optional<std::int32_t> readIntegerText(std::string_view text);

// A name of the list in any letter case, or an integer text; nothing when unreadable.
std::optional<Colour> readColourText(std::string_view text);

// The colour's name when it has one, else "$" and eight upper-case hexadecimal digits.
std::string colourToText(Colour colour);

}  // namespace korvel::client
