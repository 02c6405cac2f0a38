#include "dialogs/tspylist.h"

Tspylist::Tspylist(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Korvel - Spys");
}
