#include "dialogs/tgamestart.h"

Tgamestart::Tgamestart(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Korvel - Game Start");
}
