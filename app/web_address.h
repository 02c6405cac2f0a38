#pragma once
// The web addresses the program hands to the desktop: the maker's site (about box, the main
// window's logo) and links the user clicks. Only absolute http:// and https:// addresses are
// opened; anything else (file:, javascript:, a bare word) could start a local program or open a
// local file instead of a web page.

#include <string_view>

namespace korvel::app {

// The maker's web site.
inline constexpr const char* kMakerSite = "https://www.quon77.com/";

// True for "http://" or "https://" (any letter case) followed by a host, with no space or control
// character anywhere.
bool isWebAddress(std::string_view address);

}  // namespace korvel::app
