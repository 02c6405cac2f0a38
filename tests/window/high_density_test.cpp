// The main window on a screen of device pixel ratio 2: every drawn picture is drawn at that
// density, not scaled up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>

#include "protocol/message.h"
#include "window/panel_widgets.h"
#include "window/tchat.h"

TEST(HighDensity, PicturesCarryTheScreensRatio) {
  Tchat chat({"Ann"}, {1, 1});
  chat.show();
  ASSERT_EQ(chat.devicePixelRatioF(), 2.0);
  chat.game.myplayer = 1;
  std::string tiles = korvel::protocol::toclient::mytiles(1, {{1, 11}, {2, 22}});
  tiles.pop_back();
  chat.receivedlist.append(tiles);
  chat.processsocktimer();
  for (QLabel* picture :
       {static_cast<QLabel*>(chat.letter[0]), static_cast<QLabel*>(chat.letter[1]),
        chat.image_board, chat.image_timer, chat.image_Turn}) {
    const QPixmap p = picture->pixmap();
    EXPECT_EQ(p.devicePixelRatio(), 2.0) << picture->objectName().toStdString();
    EXPECT_EQ(p.width(), 2 * picture->width()) << picture->objectName().toStdString();
  }
}

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_SCALE_FACTOR", "2");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
