// The main window at a zoom of 150% (the scale factor the program sets for that zoom): the same
// layout in window units, one and a half times as many screen pixels, every picture drawn at that
// density, the board's cells 58 or 59 pixels wide and the tiles on whole pixels of their cells.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <set>

#include "dialogs/tdownload.h"
#include "window/artwork.h"
#include "window/panel_widgets.h"
#include "window/tchat.h"

TEST(Zoom, At150PercentEverythingIsOneAndAHalfTimesLargerAndCrisp) {
  Tchat chat({"Ann"}, {1, 1});
  chat.show();
  ASSERT_EQ(chat.devicePixelRatioF(), 1.5);

  // The client area keeps its unzoomed size in window units, 768 by 541 as at 100%.
  ASSERT_EQ(chat.centralWidget()->size(), QSize(768, 541));
  const QPixmap client = chat.centralWidget()->grab();
  EXPECT_NEAR(client.width(), 768 * 1.5, 0.5);
  EXPECT_NEAR(client.height(), 541 * 1.5, 0.5);

  // The layout in window units is the one of 100%; pictures carry 1.5 times their pixels.
  const struct {
    const char* name;
    QRect place;
    bool picture;
  } table[] = {
      {"image_board", {1, 27, 430, 430}, true}, {"paintbox_board", {1, 27, 429, 429}, false},
      {"Image1", {1, 457, 430, 24}, true},      {"label_timer", {2, 461, 87, 19}, false},
      {"shape_1", {41, 483, 39, 39}, true},     {"letter_8", {352, 483, 39, 39}, false},
      {"image_logo", {512, 8, 226, 28}, true},  {"label_playername3", {517, 168, 121, 20}, false},
      {"image_Turn", {495, 63, 8, 45}, true},   {"FlatPanel1", {493, 289, 265, 221}, false},
      {"mychat", {493, 513, 238, 22}, false},   {"button_submit", {341, 0, 90, 26}, false},
  };
  for (const auto& e : table) {
    SCOPED_TRACE(e.name);
    auto* w = chat.findChild<QWidget*>(e.name);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->geometry(), e.place);
    if (!e.picture) continue;
    const QPixmap p = static_cast<QLabel*>(w)->pixmap();
    EXPECT_EQ(p.devicePixelRatio(), 1.5);
    EXPECT_NEAR(p.width(), e.place.width() * 1.5, 0.5);
    EXPECT_NEAR(p.height(), e.place.height() * 1.5, 0.5);
  }

  // The ten inner grid lines along the middle of the first row, 58 or 59 pixels apart.
  const QImage board = chat.image_board->pixmap().toImage();
  const QRgb line = qRgb(0xc2, 0x9f, 0x6c);
  std::vector<int> starts;
  for (int x = 1; x < board.width(); ++x) {
    if (board.pixel(x, 30) == line && board.pixel(x - 1, 30) != line) starts.push_back(x);
  }
  ASSERT_EQ(starts.size(), 10u);
  std::set<int> widths;
  for (std::size_t n = 1; n < starts.size(); ++n) widths.insert(starts[n] - starts[n - 1]);
  EXPECT_EQ(widths, (std::set<int>{58, 59}));
  for (int n = 1; n <= 10; ++n) EXPECT_EQ(artwork::boardEdge(n, 1.5), starts[n - 1]) << n;

  // Tiles on the board are their pictures copied pixel for pixel into their cells.
  const struct {
    int c, r, code;
  } laid[] = {{0, 0, 17}, {3, 5, 1}, {4, 5, 23}, {10, 10, 26}, {5, 1, 5}};
  for (const auto& t : laid) chat.game.board[t.c][t.r].letter = t.code;
  const QImage shot = chat.panel_board->grab(QRect(1, 27, 430, 430))
                          .toImage()
                          .convertToFormat(QImage::Format_ARGB32);
  for (const auto& t : laid) {
    SCOPED_TRACE(t.code);
    const QImage tile = artwork::tile(t.code, 1.5).toImage().convertToFormat(QImage::Format_ARGB32);
    int opaque = 0, same = 0;
    for (int y = 0; y < tile.height(); ++y) {
      for (int x = 0; x < tile.width(); ++x) {
        if (qAlpha(tile.pixel(x, y)) != 255) continue;
        ++opaque;
        const QPoint at(artwork::boardEdge(t.c, 1.5) + x, artwork::boardEdge(t.r, 1.5) + y);
        same += shot.pixel(at) == tile.pixel(x, y);
      }
    }
    EXPECT_GT(opaque, 2000);
    EXPECT_EQ(same, opaque);
  }
}

TEST(Zoom, TheDownloadDialogsPictureIsDrawnFromItsDenserCopy) {
  Tdownload dialog;
  const QPixmap banner = dialog.image_banner->pixmap();
  EXPECT_EQ(banner.devicePixelRatio(), 1.5);
  EXPECT_EQ(banner.size(), QSize(630, 144));
}

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QT_SCALE_FACTOR", "1.5");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
