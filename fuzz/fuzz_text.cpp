// The text rule against arbitrary bytes: what it shows is always valid UTF-8 without 0xFF,
// valid UTF-8 passes unchanged, and its UTF-8 check agrees with a decoder written the other way
// round (decode each code point, then judge its value). An invitation link read from the same
// bytes is judged exactly as the field then holds it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/host_address.h"
#include "protocol/message.h"
#include "protocol/text_encoding.h"

using namespace korvel::protocol;

namespace {

bool referenceUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<std::uint8_t>(s[i]);
    int extra = 0;
    char32_t c = 0;
    if (b < 0x80) {
      c = b;
    } else if ((b & 0xE0) == 0xC0) {
      extra = 1;
      c = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2;
      c = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3;
      c = b & 0x07;
    } else {
      return false;
    }
    if (s.size() - i <= static_cast<std::size_t>(extra)) return false;
    for (int k = 1; k <= extra; ++k) {
      const auto n = static_cast<std::uint8_t>(s[i + k]);
      if ((n & 0xC0) != 0x80) return false;
      c = (c << 6) | (n & 0x3F);
    }
    static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (c < kLeast[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    i += 1 + extra;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const bool valid = isUtf8(bytes);
  if (valid != referenceUtf8(bytes)) __builtin_trap();
  const std::string shown = textFromBytes(bytes);
  if (!isUtf8(shown) || shown.find('\xFF') != std::string::npos) __builtin_trap();
  if (valid && shown != bytes) __builtin_trap();
  if (!valid && shown.size() < bytes.size()) __builtin_trap();
  if (textFromBytes(shown) != shown) __builtin_trap();
  const std::string clean = cleanTextFromBytes(bytes);
  if (!isUtf8(clean) || cleanTextFromBytes(clean) != clean) __builtin_trap();
  for (std::size_t i = 0; i < clean.size(); ++i) {
    const auto b = static_cast<unsigned char>(clean[i]);
    if (b < 0x20 || b == 0x7F) __builtin_trap();
    if (b == 0xC2 && static_cast<unsigned char>(clean[i + 1]) <= 0x9F) __builtin_trap();
    // No direction mark or Unicode line break is left.
    if (b == 0xD8 && static_cast<unsigned char>(clean[i + 1]) == 0x9C) __builtin_trap();
    if (b == 0xE2) {
      const auto second = static_cast<unsigned char>(clean[i + 1]);
      const auto third = static_cast<unsigned char>(clean[i + 2]);
      if (second == 0x80 && (third == 0x8E || third == 0x8F || (third >= 0xA8 && third <= 0xAE)))
        __builtin_trap();
      if (second == 0x81 && third >= 0xA6 && third <= 0xA9) __builtin_trap();
    }
  }
  // A link from outside: the field holds clean text that fits it, judged exactly as Join
  // judges it, and a refused link never leaves an address behind.
  const auto entry = korvel::app::invitationEntry(bytes, 7772);
  if (entry.text.size() > korvel::app::kMaxAddressText ||
      cleanTextFromBytes(entry.text) != entry.text)
    __builtin_trap();
  const auto join = korvel::app::readHostAddress(entry.text, 7772);
  if (join.address != entry.reading.address) __builtin_trap();
  if (!entry.text.empty() && join.error != entry.reading.error) __builtin_trap();
  if (entry.reading.address.has_value() == !entry.reading.error.empty()) __builtin_trap();
  // Any typed address, an IPv6 one with its interface included, reads back the same once written
  // as the field and Recent Hosts show it.
  if (const auto typed = korvel::app::readHostAddress(bytes, 7772); typed.address) {
    const std::string shown = korvel::app::addressText(*typed.address, 7772);
    if (korvel::app::readHostAddress(shown, 7772).address != typed.address) __builtin_trap();
  }
  const std::string chat = chatTextFromBytes(bytes);
  if (!isUtf8(chat) || chat.find('\0') != std::string::npos) __builtin_trap();
  const std::string name = cleanName(bytes);
  if (!isUtf8(name) || name.find_first_of(std::string("+\xFF", 2)) != std::string::npos)
    __builtin_trap();
  return 0;
}
