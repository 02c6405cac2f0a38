#include "client/tchat.h"

Tchat::Tchat(QWidget* parent) : QMainWindow(parent) { setWindowTitle("Korvel"); }
