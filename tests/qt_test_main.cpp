// main() for tests that need a Qt application object (sockets, widgets, event loop).
#include <gtest/gtest.h>

#include <QApplication>

#include "protocol/tsock.h"
#include "shell/message_boxes.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // Errors a socket or the server reports go to the message boxes, which tests replace.
  setErrorReporter(showReportedError);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
