#include "dialogs/dialog_look.h"

#include <QLayout>
#include <QPalette>

#include "window/artwork.h"

namespace dialoglook {

QFont arial(int pixels, bool bold) {
  QFont font("Arial");
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

void useWindowBackground(QWidget* window) {
  if (window->layout() != nullptr) window->layout()->setSizeConstraint(QLayout::SetFixedSize);
  window->adjustSize();
  QPalette palette = window->palette();
  palette.setBrush(QPalette::Window,
                   QBrush(artwork::background(window->size(), window->devicePixelRatioF())));
  window->setPalette(palette);
  window->setAutoFillBackground(true);
}

}  // namespace dialoglook
