// The turn clock's text keeps a contrast of at least 4.5 to 1 (the WCAG AA level for text)
// against the bar and track under it, measured on rendered frames at every second of a turn.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "protocol/message.h"
#include "window/tchat.h"

namespace {

namespace toclient = korvel::protocol::toclient;

void deliver(Tchat& chat, std::string framed) {
  framed.pop_back();
  chat.receivedlist.append(framed);
  chat.processsocktimer();
}

double channel(int value) {
  const double c = value / 255.0;
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(QRgb p) {
  return 0.2126 * channel(qRed(p)) + 0.7152 * channel(qGreen(p)) + 0.0722 * channel(qBlue(p));
}

double contrast(QRgb a, QRgb b) {
  const double la = luminance(a), lb = luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

struct Measure {
  int glyphPixels = 0;  // fully covered text pixels measured
  double lowest = 1e9;  // the lowest contrast among them
  int overTrack = 0;    // of them, pixels beyond the bar's end
};

// The clock area rendered with its text and without: pixels that differ are the text's. Its
// fully covered pixels all have the text colour exactly, so the colours met most often among
// the differing pixels are the text colours; each such pixel is compared with the same pixel of
// the frame without text, which is the bar (or the track) under it.
Measure measure(Tchat& chat) {
  const QRect area(0, 455, 440, 28);
  const QImage with = chat.panel_board->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
  chat.label_timer->hide();
  const QImage without =
      chat.panel_board->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
  chat.label_timer->show();
  std::map<QRgb, int> counts;
  for (int y = 0; y < with.height(); ++y) {
    for (int x = 0; x < with.width(); ++x) {
      if (with.pixel(x, y) != without.pixel(x, y)) ++counts[with.pixel(x, y)];
    }
  }
  std::vector<std::pair<int, QRgb>> byCount;
  for (const auto& [colour, n] : counts) byCount.push_back({n, colour});
  std::sort(byCount.rbegin(), byCount.rend());
  const int barEnd = chat.image_timer->isVisible() ? chat.image_timer->geometry().right() : -1;
  Measure m;
  for (std::size_t k = 0; k < std::min<std::size_t>(2, byCount.size()); ++k) {
    if (byCount[k].first < 8) continue;  // an antialiased shade, not a text colour
    const QRgb text = byCount[k].second;
    for (int y = 0; y < with.height(); ++y) {
      for (int x = 0; x < with.width(); ++x) {
        if (with.pixel(x, y) != text || without.pixel(x, y) == text) continue;
        ++m.glyphPixels;
        if (area.x() + x > barEnd) ++m.overTrack;
        m.lowest = std::min(m.lowest, contrast(text, without.pixel(x, y)));
      }
    }
  }
  return m;
}

}  // namespace

TEST(ClockContrast, TextStaysReadableOnTheBarAtEverySecondOfATurn) {
  // 45 and 120 seconds are the shortest and longest turns: the widest and the narrowest
  // second of the bar, so the bar's end crosses the text at different times in each.
  for (int limit : {45, 60, 120}) {
    SCOPED_TRACE(limit);
    Tchat chat({"Ann"}, {1, 1});
    chat.show();
    chat.game.myplayer = 1;
    deliver(chat, toclient::existingplayers({{1, "Ann", false}, {2, "Bob", false}}));
    deliver(chat, toclient::startgame("Ann", "30", limit, "1"));
    deliver(chat, toclient::nextplayer(1, 16));
    bool crossed = false;  // some frame shows text both over the bar and beyond its end
    for (int left = limit - 1; left >= 0; --left) {
      chat.turntimeTimer();
      SCOPED_TRACE(chat.label_timer->text().toStdString());
      const Measure m = measure(chat);
      ASSERT_GE(m.glyphPixels, 40) << "the text is found in the frame";
      EXPECT_GE(m.lowest, 4.5);
      crossed = crossed || (m.overTrack > 0 && m.overTrack < m.glyphPixels);
    }
    EXPECT_TRUE(crossed) << "the measure covered the bar's end running under the text";
  }
}
