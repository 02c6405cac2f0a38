#include <QApplication>

#include "client/tchat.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Tchat chat;
  chat.show();
  return app.exec();
}
