// korvel-download-banner OUT.jpg [RATIO]: draws the picture at the top of the lobby download
// dialog and writes it as a JPEG, RATIO (default 1) times its 420 by 96 pixels. Its outputs are
// committed as resources/pictures/download.jpg and, at ratio 2, download@2x.jpg (for zoomed and
// high-density screens), so a build needs nothing of this tool.

#include <QApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "window/artwork.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUT.jpg [RATIO]\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int ratio = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
  QImage image(420 * ratio, 96 * ratio, QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 420, 96);
  sky.setColorAt(0, QColor(0x1d, 0x4e, 0x89));
  sky.setColorAt(1, QColor(0x2f, 0x9c, 0xa8));
  p.fillRect(QRect(0, 0, 420, 96), sky);
  // Soft rings, one per seat of a game.
  p.setPen(QPen(QColor(255, 255, 255, 40), 10));
  for (int n = 0; n < 4; ++n) p.drawEllipse(QPointF(360 + 14 * n, 48), 30 + 18 * n, 30 + 18 * n);
  p.drawPixmap(14, 12, artwork::logo(ratio));
  QFont title("Arial");
  title.setPixelSize(26);
  title.setBold(true);
  p.setFont(title);
  p.setPen(Qt::white);
  p.drawText(QRect(16, 40, 400, 30), Qt::AlignLeft | Qt::AlignVCenter, "The Quon77 Lobby");
  QFont line("Arial");
  line.setPixelSize(14);
  p.setFont(line);
  p.setPen(QColor(0xe8, 0xf6, 0xf7));
  p.drawText(QRect(16, 68, 400, 20), Qt::AlignLeft | Qt::AlignVCenter,
             "Word games and more, online with other players");
  p.end();
  if (!image.save(QString::fromLocal8Bit(argv[1]), "JPG", 90)) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
