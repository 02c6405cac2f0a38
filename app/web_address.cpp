#include "app/web_address.h"

#include <algorithm>
#include <cctype>

namespace korvel::app {

namespace {

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char p, char t) {
           return std::tolower(static_cast<unsigned char>(t)) == p;
         });
}

}  // namespace

bool isWebAddress(std::string_view address) {
  if (std::any_of(address.begin(), address.end(),
                  [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; }))
    return false;
  std::string_view rest;
  if (startsWithNoCase(address, "https://")) {
    rest = address.substr(8);
  } else if (startsWithNoCase(address, "http://")) {
    rest = address.substr(7);
  } else {
    return false;
  }
  const std::string_view host = rest.substr(0, rest.find_first_of("/?#"));
  // "http://:80/" and "http://user@/" name no host.
  const auto at = host.rfind('@');
  const std::string_view name = at == std::string_view::npos ? host : host.substr(at + 1);
  return !name.empty() && name.front() != ':';
}

}  // namespace korvel::app
