// The logo over the seats: a link to the maker's web site.

#include "app/web_address.h"
#include "shell/desktop_services.h"
#include "window/tchat.h"

void Tchat::image_logoClick() {
  desktopServices().openUrl(korvel::app::kMakerSite);
}
