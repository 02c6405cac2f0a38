// The logo over the seats: a link to the maker's web site.

#include "app/desktop_services.h"
#include "app/web_address.h"
#include "client/tchat.h"

void Tchat::image_logoClick() {
  desktopServices().openUrl(korvel::app::kMakerSite);
}
