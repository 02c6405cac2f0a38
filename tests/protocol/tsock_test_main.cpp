// TSock needs a Qt event loop; the tests spin it themselves.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "protocol/tsock.h"
#include "shell/message_boxes.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  // Errors a socket or the server reports go to the message boxes, which tests replace.
  setErrorReporter(showReportedError);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  // Sockets let go of during the last test are deleted before the application goes.
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return result;
}
