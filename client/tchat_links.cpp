// The logo over the seats: a link to the maker's web site.

#include <QMouseEvent>

#include "app/desktop_services.h"
#include "app/web_address.h"
#include "client/artwork.h"
#include "client/panel_widgets.h"
#include "client/tchat.h"

void Tchat::buildLogo() {
  image_logo = new MouseLabel(panel_board);
  image_logo->setPixmap(artwork::logo(devicePixelRatioF()));
  image_logo->setGeometry(512, 8, artwork::kLogoSize.width(), artwork::kLogoSize.height());
  image_logo->setCursor(Qt::PointingHandCursor);
  image_logo->setAccessibleName("Korvel web site");
  image_logo->onRelease = [this](QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) image_logoClick();
  };
}

void Tchat::image_logoClick() {
  desktopServices().openUrl(korvel::app::kMakerSite);
}
