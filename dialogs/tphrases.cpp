#include "dialogs/tphrases.h"

Tphrases::Tphrases(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Korvel - Phrase Buttons ");
}
