#include "dialogs/ttallylist.h"

Ttallylist::Ttallylist(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Korvel - Tally");
}
