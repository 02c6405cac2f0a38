#pragma once
// Every picture of the game window, drawn with QPainter instead of loaded from files.
//
// Each function returns a pixmap of a fixed size in device-independent pixels, drawn at that
// size times `dpr` and tagged with `dpr` as its device pixel ratio, so it stays sharp on
// high-density screens. Pictures are cached per size and ratio (QPixmapCache), so asking again
// is cheap and returns the same shared pixmap. An empty size gives a null pixmap. Needs a
// QGuiApplication; GUI thread only.

#include <QPixmap>
#include <QSize>

namespace artwork {

inline constexpr int kCell = 39;              // board cell, letter tile and rack slot
inline constexpr int kPlacedMarker = 27;      // tile() number of the marker over a tile laid now
inline constexpr int kSmileyCount = 18;       // smiley() numbers 0 to 17
inline constexpr QSize kBoardSize{430, 430};  // 11 cells of 39 plus the closing grid line
inline constexpr QSize kTileSize{kCell, kCell};
inline constexpr QSize kActionButtonSize{90, 26};
inline constexpr QSize kStartButtonSize{120, 26};
inline constexpr QSize kEyesSize{17, 14};
inline constexpr QSize kTurnMarkerSize{8, 45};
inline constexpr QSize kTimerBarSize{428, 22};
inline constexpr QSize kTimerBackgroundSize{430, 24};
inline constexpr QSize kLogoSize{226, 28};
inline constexpr QSize kSmileySize{17, 16};
inline constexpr QSize kCheckBoxSize{32, 19};

enum class ActionButton { Pass, NewTiles, Clear, Submit };

// The word on an action button: "Pass", "New Tiles", "Clear", "Submit".
const char* actionButtonText(ActionButton which);

// The empty board: grid lines on the cell edges (x and y = 0, 39, ..., 429), so cell (c, r)
// has its interior at 39c+1 to 39c+38; the starting square (5, 5) carries a star.
QPixmap board(qreal dpr);
// The device pixel column (or row) of board(dpr) where grid line n, 0 to 11, begins: 39 n times
// the ratio rounded, the last one at the far edge. Tiles drawn at these pixels fit the cells
// exactly at fractional ratios too.
int boardEdge(int n, qreal dpr);

// n 1 to 26: the tile of letters A to Z with its letter value (the server's scoring values) in
// the lower right corner. n = kPlacedMarker: the marker drawn over a tile laid this turn, a
// coloured frame and corner badge, transparent elsewhere. Any other n: a blank tile (no letter,
// no value), so a rack slot without a letter still shows something sensible.
QPixmap tile(int n, qreal dpr);

// The mark over a tile of the last accepted move: a thick vermilion frame with a dark inner line
// and a corner notch, transparent inside so the letter and its value stay readable. Vermilion
// against the blue marker of tiles laid now, and a frame against a badge, so the two differ for
// every kind of colour vision.
QPixmap lastMoveMark(qreal dpr);
// The mark of a cell whose letter covers another: two small stacked tiles in the upper right
// corner, clear of the letter and of its value.
QPixmap stackMark(qreal dpr);

// A rack slot's outline: a diagonally hatched square frame in black on transparent.
QPixmap outline(qreal dpr);

// An action button; `grey` gives its disabled twin with the same word.
QPixmap actionButton(ActionButton which, bool grey, qreal dpr);

// The "Start Game" button.
QPixmap startButton(qreal dpr);

// The "just watching" mark: a pair of eyes.
QPixmap eyes(qreal dpr);

// The turn marker beside the seat to move: a bar ending in a point to the right.
QPixmap turnMarker(qreal dpr);

// The turn clock's bar, green at the left to red at the right; the control shows only its left
// part as the time runs down.
QPixmap timerBar(qreal dpr);
// The sunken track the timer bar lies in.
QPixmap timerBackground(qreal dpr);

// The window background at any size: the window colour with a faint dotted pattern.
QPixmap background(QSize size, qreal dpr);

// A decoration of the seat area at any size; the shape follows the proportions: narrow strips
// (at most 12 wide) are the grooves the turn marker sits in, tall narrow ones (at most 70 wide
// and three times as high) a loose stack of face-down tiles, anything else a framed panel.
QPixmap decoration(QSize size, qreal dpr);

// The game's name on a row of small tiles.
QPixmap logo(qreal dpr);

// Face n, 0 to 17 (smile, wink, frown, grin, tongue, surprised, cool, angry, cry, laugh,
// neutral, kiss, confused, sleepy, blush, devil, angel, sick). Other n: a null pixmap.
QPixmap smiley(int n, qreal dpr);

// The team check box of the game start dialog: an empty or a ticked box.
QPixmap checkBox(bool checked, qreal dpr);

}  // namespace artwork
