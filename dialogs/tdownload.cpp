#include "dialogs/tdownload.h"

Tdownload::Tdownload(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Download The Quon77 Lobby");
}
