#include "dialogs/thelp.h"

Thelp::Thelp(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Korvel - Help File");
}
