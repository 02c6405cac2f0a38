#pragma once
// The one text encoding of the program. What it sends or writes (names, chat, actions, phrases)
// is UTF-8; UTF-8 never holds the byte 0xFF, so sent text can never end a message early. What it
// receives or reads is shown as UTF-8 when the bytes are valid UTF-8, and as Windows-1252
// otherwise: an 8-bit peer or an older settings file writes that code page. Byte strings keep
// whatever arrived; the rule is applied where text is shown or sent.

#include <string>
#include <string_view>

namespace korvel::protocol {

// True when the bytes are well-formed UTF-8: no overlong forms, no surrogates, nothing above
// U+10FFFF, no sequence cut short.
bool isUtf8(std::string_view bytes);

// The text the bytes stand for, as UTF-8: the bytes themselves when they are valid UTF-8, else
// every byte read as Windows-1252. The five bytes that code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) become U+FFFD, so a stray byte shows as a mark instead of an invisible
// control character. The result is always valid UTF-8 and never holds 0xFF.
std::string textFromBytes(std::string_view bytes);

// textFromBytes without control characters, for text that is one line: names, words, phrases,
// the server's status texts. C0 (U+0000 to U+001F, tab and line breaks included), DEL and C1
// (U+0080 to U+009F) are dropped, so none reaches a label, an accessible name, a saved game or
// a record (a NUL cut the text assistive tools read; a line break made a name two lines). The
// bidirectional controls (U+200E, U+200F, U+061C, U+202A to U+202E, U+2066 to U+2069) are dropped
// too: one of them reverses what follows it on screen, so an address or a name would show as
// another and a message quoting it would read backwards; so are the line and paragraph
// separators U+2028 and U+2029.
std::string cleanTextFromBytes(std::string_view bytes);

// textFromBytes without NUL, for chat lines: a NUL would cut the text assistive tools read and
// hide what follows it.
std::string chatTextFromBytes(std::string_view bytes);

}  // namespace korvel::protocol
