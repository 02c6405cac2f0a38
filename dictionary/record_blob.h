#pragma once
// Turning a word list into the blob "TEXT_DEMO" that `TDictn` searches: one 15-byte record per
// word (marker 0x1E, the word in upper case cut to 14 letters and padded with spaces), in
// ascending order of the word padded with spaces to 15 characters.

#include <string>
#include <string_view>
#include <vector>

namespace korvel {

// The record of one word. Only ASCII a-z change case; a word longer than 14 bytes is cut.
std::string wordRecord(std::string_view word);

// The records of all words, sorted (stable, by unsigned bytes); repeated records are kept, so a
// 14-letter cut form appears once for every longer word it stands for.
std::string recordBlob(const std::vector<std::string>& words);

}  // namespace korvel
