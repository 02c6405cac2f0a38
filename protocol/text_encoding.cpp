#include "protocol/text_encoding.h"

#include <cstdint>

namespace korvel::protocol {

namespace {

// Windows-1252 for 0x80 to 0x9F; 0 marks the bytes the code page leaves undefined. Every other
// byte is the code point of the same number (Latin-1).
constexpr char32_t kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 0x88
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 0x98
};

constexpr char32_t kReplacement = 0xFFFD;

bool isContinuation(std::uint8_t b, std::uint8_t low = 0x80, std::uint8_t high = 0xBF) {
  return b >= low && b <= high;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    // Every code point of Windows-1252 and U+FFFD fit in three bytes.
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The controls after a lead byte 0xE2 that the one-line text rule drops: the bidirectional marks
// U+200E and U+200F, embeddings and overrides U+202A to U+202E and isolates U+2066 to U+2069
// (any of them turns the text after it around on screen: U+202E before "gnp.exe" shows it as
// "exe.png"), and the line and paragraph separators U+2028 and U+2029, line breaks like '\n'.
bool isDroppedFormatControl(std::uint8_t second, std::uint8_t third) {
  if (second == 0x80) return third == 0x8E || third == 0x8F || (third >= 0xA8 && third <= 0xAE);
  return second == 0x81 && third >= 0xA6 && third <= 0xA9;
}

}  // namespace

bool isUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i < n) {
    const std::uint8_t b = p[i];
    if (b < 0x80) {
      ++i;
      continue;
    }
    // The ranges of the second byte rule out overlong forms (E0, F0), surrogates (ED) and code
    // points above U+10FFFF (F4).
    std::size_t length = 0;
    std::uint8_t low = 0x80, high = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3;
      if (b == 0xE0) low = 0xA0;
      if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4;
      if (b == 0xF0) low = 0x90;
      if (b == 0xF4) high = 0x8F;
    } else {
      return false;  // a continuation byte on its own, C0, C1 or F5 to FF
    }
    if (n - i < length || !isContinuation(p[i + 1], low, high)) return false;
    for (std::size_t k = 2; k < length; ++k) {
      if (!isContinuation(p[i + k])) return false;
    }
    i += length;
  }
  return true;
}

std::string textFromBytes(std::string_view bytes) {
  if (isUtf8(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() * 2);
  for (char ch : bytes) {
    const auto b = static_cast<std::uint8_t>(ch);
    char32_t c = b;
    if (b >= 0x80 && b <= 0x9F)
      c = kWindows1252High[b - 0x80] ? kWindows1252High[b - 0x80] : kReplacement;
    appendUtf8(out, c);
  }
  return out;
}

std::string cleanTextFromBytes(std::string_view bytes) {
  std::string text = textFromBytes(bytes);
  // The text is valid UTF-8 here, so a lead byte is always followed by its whole sequence: the
  // C1 controls are exactly 0xC2 0x80 to 0xC2 0x9F, every other control is a single byte, and
  // the bidirectional controls are the three-byte sequences isDroppedFormatControl names.
  std::size_t out = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<std::uint8_t>(text[i]);
    if (b < 0x20 || b == 0x7F) continue;
    if (b == 0xC2 && static_cast<std::uint8_t>(text[i + 1]) <= 0x9F) {
      ++i;
      continue;
    }
    if (b == 0xD8 && static_cast<std::uint8_t>(text[i + 1]) == 0x9C) {  // U+061C
      ++i;
      continue;
    }
    if (b == 0xE2 && isDroppedFormatControl(static_cast<std::uint8_t>(text[i + 1]),
                                            static_cast<std::uint8_t>(text[i + 2]))) {
      i += 2;
      continue;
    }
    text[out++] = text[i];
  }
  text.resize(out);
  return text;
}

std::string chatTextFromBytes(std::string_view bytes) {
  std::string text = textFromBytes(bytes);
  std::erase(text, '\0');
  return text;
}

}  // namespace korvel::protocol
