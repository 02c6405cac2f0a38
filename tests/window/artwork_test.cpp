#include "window/artwork.h"

#include <gtest/gtest.h>

#include <QImage>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

using artwork::ActionButton;
using Picture = std::function<QPixmap(qreal)>;

struct Named {
  std::string name;
  Picture picture;
  QSize size;
};

std::vector<Named> everyPicture() {
  std::vector<Named> all = {
      {"board", artwork::board, {430, 430}},
      {"tile A", [](qreal d) { return artwork::tile(1, d); }, {39, 39}},
      {"tile Z", [](qreal d) { return artwork::tile(26, d); }, {39, 39}},
      {"marker", [](qreal d) { return artwork::tile(artwork::kPlacedMarker, d); }, {39, 39}},
      {"blank tile", [](qreal d) { return artwork::tile(0, d); }, {39, 39}},
      {"outline", artwork::outline, {39, 39}},
      {"last move", artwork::lastMoveMark, {39, 39}},
      {"stack", artwork::stackMark, {39, 39}},
      {"start", artwork::startButton, {120, 26}},
      {"eyes", artwork::eyes, {17, 14}},
      {"turn", artwork::turnMarker, {8, 45}},
      {"timer bar", artwork::timerBar, {428, 22}},
      {"timer background", artwork::timerBackground, {430, 24}},
      {"background",
       [](qreal d) {
         return artwork::background({767, 539}, d);
       },
       {767, 539}},
      {"Image2",
       [](qreal d) {
         return artwork::decoration({57, 357}, d);
       },
       {57, 357}},
      {"Image3",
       [](qreal d) {
         return artwork::decoration({149, 226}, d);
       },
       {149, 226}},
      {"Image4",
       [](qreal d) {
         return artwork::decoration({10, 47}, d);
       },
       {10, 47}},
      {"logo", artwork::logo, {226, 28}},
      {"smiley 0", [](qreal d) { return artwork::smiley(0, d); }, {17, 16}},
      {"smiley 17", [](qreal d) { return artwork::smiley(17, d); }, {17, 16}},
      {"box empty", [](qreal d) { return artwork::checkBox(false, d); }, {32, 19}},
      {"box checked", [](qreal d) { return artwork::checkBox(true, d); }, {32, 19}},
  };
  for (auto which :
       {ActionButton::Pass, ActionButton::NewTiles, ActionButton::Clear, ActionButton::Submit}) {
    for (bool grey : {false, true}) {
      all.push_back({std::string(artwork::actionButtonText(which)) + (grey ? " grey" : ""),
                     [which, grey](qreal d) { return artwork::actionButton(which, grey, d); },
                     {90, 26}});
    }
  }
  return all;
}

TEST(Artwork, EveryPictureHasItsLayoutSizeAtEachRatio) {
  for (const Named& p : everyPicture()) {
    for (qreal dpr : {1.0, 2.0}) {
      SCOPED_TRACE(p.name + " at " + std::to_string(dpr));
      const QPixmap pixmap = p.picture(dpr);
      EXPECT_EQ(pixmap.deviceIndependentSize(), QSizeF(p.size));
      EXPECT_EQ(pixmap.devicePixelRatio(), dpr);
      EXPECT_EQ(pixmap.size(), p.size * dpr);
    }
  }
}

// Each family must have no two pictures alike: a player tells the tiles, faces and button
// states apart only by their pictures.
TEST(Artwork, PicturesOfAFamilyAllDiffer) {
  struct Family {
    std::string name;
    std::vector<QPixmap> pictures;
  };
  std::vector<Family> families(3);
  families[0].name = "tiles and blank";
  for (int n = 0; n <= 26; ++n) families[0].pictures.push_back(artwork::tile(n, 1));
  families[1].name = "smilies";
  for (int n = 0; n < artwork::kSmileyCount; ++n)
    families[1].pictures.push_back(artwork::smiley(n, 1));
  families[2].name = "buttons and boxes";
  for (auto which :
       {ActionButton::Pass, ActionButton::NewTiles, ActionButton::Clear, ActionButton::Submit}) {
    families[2].pictures.push_back(artwork::actionButton(which, false, 1));
    families[2].pictures.push_back(artwork::actionButton(which, true, 1));
  }
  families[2].pictures.push_back(artwork::checkBox(false, 1));
  families[2].pictures.push_back(artwork::checkBox(true, 1));

  for (const Family& f : families) {
    SCOPED_TRACE(f.name);
    std::set<QByteArray> seen;
    for (const QPixmap& p : f.pictures) {
      const QImage image = p.toImage().convertToFormat(QImage::Format_ARGB32);
      seen.insert(
          QByteArray(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()));
    }
    EXPECT_EQ(seen.size(), f.pictures.size());
  }
}

TEST(Artwork, PlacedMarkerLeavesTheLetterVisible) {
  const QImage marker = artwork::tile(artwork::kPlacedMarker, 2).toImage();
  // The middle, where the letter is, shows through; the frame does not.
  EXPECT_EQ(qAlpha(marker.pixel(39, 39)), 0);
  EXPECT_EQ(qAlpha(marker.pixel(30, 39)), 0);
  EXPECT_GT(qAlpha(marker.pixel(7, 39)), 200);
}

// The marks laid over a board letter: its letter (the middle) and its value (lower right) stay
// readable, and the mark itself is solid where it is drawn. Pixels at ratio 2.
TEST(Artwork, MovesMarksLeaveLetterAndValueReadable) {
  const struct {
    const char* name;
    QImage image;
    QPoint solid;
  } marks[] = {
      {"last move", artwork::lastMoveMark(2).toImage(), {7, 39}},
      {"stack", artwork::stackMark(2).toImage(), {62, 14}},
  };
  for (const auto& m : marks) {
    SCOPED_TRACE(m.name);
    EXPECT_EQ(qAlpha(m.image.pixel(39, 39)), 0);
    EXPECT_EQ(qAlpha(m.image.pixel(30, 36)), 0);
    EXPECT_EQ(qAlpha(m.image.pixel(64, 62)), 0);  // the value's corner
    EXPECT_GT(qAlpha(m.image.pixel(m.solid)), 200);
  }
  // The last move's frame is not the blue of a tile laid now.
  const QRgb frame = artwork::lastMoveMark(2).toImage().pixel(7, 39);
  const QRgb placed = artwork::tile(artwork::kPlacedMarker, 2).toImage().pixel(7, 39);
  EXPECT_GT(qRed(frame), qBlue(frame) + 100);
  EXPECT_GT(qBlue(placed), qRed(placed));
}

// The grid lines lie on the cell edges the board surface uses (39 c), so a cell redrawn from
// the board picture or covered by a tile lines up with its neighbours.
TEST(Artwork, BoardGridLinesLieOnTheCellEdges) {
  const QImage board = artwork::board(1).toImage();
  const QRgb line = board.pixel(39, 20);
  for (int c = 1; c <= 10; ++c) {
    SCOPED_TRACE(c);
    EXPECT_EQ(board.pixel(39 * c, 20), line);
    EXPECT_EQ(board.pixel(20, 39 * c), line);
    EXPECT_NE(board.pixel(39 * c + 19, 20), line);
    EXPECT_NE(board.pixel(39 * c + 1, 20), line);
  }
  EXPECT_NE(board.pixel(39 * 5 + 19, 39 * 5 + 19), board.pixel(39 * 4 + 19, 39 * 5 + 19))
      << "the starting square is marked";
}

TEST(Artwork, NumbersOutsideTheListsGiveBlankTileAndNoSmiley) {
  const QImage blank = artwork::tile(0, 1).toImage();
  for (int n : {-1, 28, 1000}) EXPECT_EQ(artwork::tile(n, 1).toImage(), blank) << n;
  for (int n : {-1, 18}) EXPECT_TRUE(artwork::smiley(n, 1).isNull()) << n;
}

}  // namespace

// At 100% a tile's value is at least 8 pixels high: the dark rows of the corner the letter
// leaves free.
TEST(Artwork, TileValuesAreAtLeastEightPixelsHigh) {
  for (char letter : {'A', 'E', 'I', 'K', 'Z'}) {  // values 1, 1, 1, 7 and 10
    SCOPED_TRACE(letter);
    const QImage tile = artwork::tile(letter - 'A' + 1, 1).toImage();
    int top = -1, bottom = -1;
    for (int y = 24; y <= 35; ++y) {
      for (int x = 20; x <= 36; ++x) {
        const QColor c = QColor::fromRgba(tile.pixel(x, y));
        if (c.alpha() == 255 && c.lightness() < 110) {
          if (top < 0) top = y;
          bottom = y;
        }
      }
    }
    ASSERT_GE(top, 0) << "the value is drawn in the corner";
    EXPECT_GE(bottom - top + 1, 8);
  }
}
