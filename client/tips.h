#pragma once
// Program lines that teach a new player what the game never shows by itself.

namespace korvel::client {

// Shown once, in the chat of the first solo game, as a program line ("0+"): covering a letter
// is legal and scores every word the laid tiles touch again, which a new player rarely guesses.
inline constexpr const char* kCoveringTipLine =
    "0+Tip: you may lay a tile on top of a different letter; every word your tiles touch scores "
    "again.";
// The tip's text without the line's sender.
inline constexpr const char* kCoveringTip = kCoveringTipLine + 2;

}  // namespace korvel::client
