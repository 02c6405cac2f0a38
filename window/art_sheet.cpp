// korvel-art-sheet OUT.png [RATIO]: renders every picture of client/artwork.h onto one PNG, first
// assembled as the game panel would show them, then one by one, so the artwork can be judged
// without starting a game. RATIO (default 2) is the device pixel ratio to draw at.

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "window/artwork.h"

namespace {

using artwork::ActionButton;

const QColor kTextInk(0x2a, 0x1a, 0x0b);

QFont arial(int pixels, bool bold = true) {
  QFont f("Arial");
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

// The game panel in mid-game, at the positions the main window uses.
void drawPanel(QPainter& p, qreal dpr) {
  const int xs[8] = {41, 85, 130, 174, 219, 263, 308, 352};
  const ActionButton buttons[4] = {ActionButton::Pass, ActionButton::NewTiles, ActionButton::Clear,
                                   ActionButton::Submit};
  const int buttonX[4] = {1, 114, 228, 341};
  for (int i = 0; i < 4; ++i)
    p.drawPixmap(buttonX[i], 0, artwork::actionButton(buttons[i], i == 2, dpr));
  p.drawPixmap(1, 27, artwork::board(dpr));
  // Letters on the board: a word through the starting square, two of its tiles laid this turn.
  const char* word = "QUARTZ";
  for (int i = 0; word[i]; ++i) {
    const QPoint cell(1 + 39 * (3 + i), 27 + 39 * 5);
    p.drawPixmap(cell, artwork::tile(word[i] - 'A' + 1, dpr));
    if (i >= 4) p.drawPixmap(cell, artwork::tile(artwork::kPlacedMarker, dpr));
  }
  for (int i = 0; i < 4; ++i)
    p.drawPixmap(1 + 39 * 4, 27 + 39 * (1 + i), artwork::tile("JOKE"[i] - 'A' + 1, dpr));
  p.drawPixmap(1, 457, artwork::timerBackground(dpr));
  const QPixmap bar = artwork::timerBar(dpr);
  p.drawPixmap(QPointF(2, 458), bar, QRectF(0, 0, 260 * dpr, 22 * dpr));
  p.setFont(arial(13));
  p.setPen(Qt::black);
  p.drawText(QRect(2, 461, 87, 19), Qt::AlignLeft | Qt::AlignTop, "Time: 0:37");
  const char* rack = "MEWXIVY";
  for (int i = 0; i < 8; ++i) {
    p.drawPixmap(xs[i], 483, artwork::outline(dpr));
    if (i != 3 && rack[i < 3 ? i : i - 1])
      p.drawPixmap(xs[i], 483, artwork::tile(rack[i < 3 ? i : i - 1] - 'A' + 1, dpr));
  }
  p.drawText(QRect(3, 522, 430, 16), Qt::AlignLeft, "It's your turn!");

  p.setFont(arial(13));
  QFont underlined = arial(13);
  underlined.setUnderline(true);
  p.setFont(underlined);
  p.drawText(QRect(433, 0, 73, 16), Qt::AlignLeft, "TILES LEFT");
  p.setFont(arial(19));
  p.drawText(QRect(433, 18, 73, 22), Qt::AlignLeft, "41");
  p.drawPixmap(433, 59, artwork::decoration({57, 357}, dpr));
  p.drawPixmap(512, 8, artwork::logo(dpr));
  p.drawPixmap(492, 39, artwork::decoration({149, 226}, dpr));
  const int rows[4] = {62, 114, 165, 216};
  const int names[4] = {65, 117, 168, 219};
  const int scores[4] = {89, 140, 191, 242};
  const char* players[4] = {"You", "Klot", "Marlowe", "<Waiting>"};
  for (int i = 0; i < 4; ++i) {
    p.drawPixmap(494, rows[i], artwork::decoration({10, 47}, dpr));
    p.setFont(arial(16));
    p.setPen(kTextInk);
    p.drawText(QRect(517, names[i], 121, 20), Qt::AlignLeft, players[i]);
    p.drawText(QPoint(531, scores[i] + 15), QString::number(i < 3 ? 40 + 17 * i : 0));
    p.drawText(QPoint(579, scores[i] + 15), QString::number(i < 3 ? 5 * i : 0));
  }
  p.drawPixmap(504, 168, artwork::eyes(dpr));
  p.drawPixmap(495, 63, artwork::turnMarker(dpr));
  p.fillRect(QRect(646, 43, 113, 221), QColor(0xfc, 0xfb, 0xc9));
  p.setFont(arial(16, false));
  p.drawText(QRect(648, 45, 110, 20), Qt::AlignLeft, "quartz");
  p.fillRect(QRect(493, 289, 265, 221), Qt::white);
  for (int i = 0; i < 3; ++i) p.drawPixmap(497 + 20 * i, 293, artwork::smiley(i * 3, dpr));
  p.drawPixmap(156, 228, artwork::startButton(dpr));
}

void drawCatalogue(QPainter& p, qreal dpr) {
  for (int n = 1; n <= 26; ++n)
    p.drawPixmap(((n - 1) % 13) * 42, ((n - 1) / 13) * 42, artwork::tile(n, dpr));
  p.drawPixmap(0, 88, artwork::tile(0, dpr));
  p.drawPixmap(42, 88, artwork::tile(artwork::kPlacedMarker, dpr));
  p.drawPixmap(84, 88, artwork::tile(23, dpr));
  p.drawPixmap(84, 88, artwork::tile(artwork::kPlacedMarker, dpr));
  p.drawPixmap(126, 88, artwork::outline(dpr));
  p.drawPixmap(180, 88, artwork::checkBox(false, dpr));
  p.drawPixmap(220, 88, artwork::checkBox(true, dpr));
  p.drawPixmap(260, 88, artwork::eyes(dpr));
  p.drawPixmap(290, 88, artwork::turnMarker(dpr));
  p.drawPixmap(310, 88, artwork::logo(dpr));

  const ActionButton all[4] = {ActionButton::Pass, ActionButton::NewTiles, ActionButton::Clear,
                               ActionButton::Submit};
  for (int i = 0; i < 4; ++i) {
    p.drawPixmap(i * 100, 140, artwork::actionButton(all[i], false, dpr));
    p.drawPixmap(i * 100, 172, artwork::actionButton(all[i], true, dpr));
  }
  p.drawPixmap(400, 140, artwork::startButton(dpr));

  for (int n = 0; n < artwork::kSmileyCount; ++n) {
    p.drawPixmap(n * 22, 210, artwork::smiley(n, dpr));
    // Enlarged copy drawn from a picture at four times the ratio, to judge the details.
    p.drawPixmap(QRectF(n * 40, 234, 34, 32), artwork::smiley(n, dpr * 4), QRectF());
  }
  p.drawPixmap(0, 280, artwork::timerBackground(dpr));
  p.drawPixmap(1, 281, artwork::timerBar(dpr));
  p.drawPixmap(0, 316, artwork::background({200, 120}, dpr));
  p.drawPixmap(210, 316, artwork::decoration({149, 226}, dpr));
  p.drawPixmap(370, 316, artwork::decoration({57, 357}, dpr));
  p.drawPixmap(440, 316, artwork::decoration({10, 47}, dpr));
  p.drawPixmap(460, 316, artwork::board(dpr));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUT.png [RATIO]\n", argv[0]);
    return EXIT_FAILURE;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const qreal dpr = argc > 2 ? std::atof(argv[2]) : 2.0;
  if (!(dpr > 0)) {
    std::fprintf(stderr, "bad ratio: %s\n", argv[2]);
    return EXIT_FAILURE;
  }

  const QSize sheet(900, 1330);
  QImage image(sheet * dpr, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(dpr);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.fillRect(QRect(QPoint(0, 0), sheet), QColor(0x80, 0x80, 0x80));
    p.drawPixmap(10, 10, artwork::background({767, 539}, dpr));
    p.translate(11, 11);
    drawPanel(p, dpr);
    p.resetTransform();
    p.fillRect(QRect(0, 570, sheet.width(), sheet.height() - 570), QColor(248, 244, 177));
    p.translate(10, 580);
    drawCatalogue(p, dpr);
  }
  if (!image.save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return EXIT_FAILURE;
  }
  return EXIT_SUCCESS;
}
