// korvel-screenshot OUT.png: renders the main window offscreen in the middle of a game (two words
// on the board, a tile carried over the board, the clock running), for the README.

#include <QApplication>
#include <QPixmap>
#include <cstdio>
#include <string>

#include "protocol/message.h"
#include "window/panel_widgets.h"
#include "window/tchat.h"

namespace {

namespace toclient = korvel::protocol::toclient;

void deliver(Tchat& chat, std::string framed) {
  framed.pop_back();
  chat.receivedlist.append(framed);
  while (!chat.receivedlist.empty()) chat.processsocktimer();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  Tchat chat({"Ann"}, {1, 1});
  chat.show();
  chat.game.myplayer = 1;
  chat.game.connected = true;
  deliver(chat,
          toclient::existingplayers({{1, "Ann", false}, {2, "Bob", false}, {3, "Cleo", true}}));
  deliver(chat, toclient::startgame("Ann", "30", 60, "1"));
  deliver(chat, toclient::mytiles(
                    1, {{1, 18}, {2, 5}, {3, 1}, {4, 4}, {5, 9}, {6, 14}, {7, 7}, {8, 19}}));
  deliver(chat, toclient::nextplayer(1, 24));
  deliver(chat,
          toclient::goodword(1, 14, 14, {{3, 5, 1, 23}, {4, 5, 2, 15}, {5, 5, 3, 18}, {6, 5, 4, 4}},
                             {"word"}));
  deliver(chat, toclient::nextplayer(2, 28));
  deliver(chat,
          toclient::goodword(2, 17, 17, {{6, 2, 1, 2}, {6, 3, 2, 15}, {6, 4, 3, 12}}, {"bold"}));
  deliver(chat, toclient::nextplayer(1, 32));
  deliver(chat, toclient::mytiles(
                    1, {{1, 18}, {2, 5}, {3, 1}, {4, 4}, {5, 9}, {6, 14}, {7, 7}, {8, 19}}));
  chat.chatrecieved("2+Bob chats: nice word :)#10|clGreen");
  chat.chatrecieved("1+Ann says: Thanks!|clNavy");
  chat.chatrecieved("3+Cleo chats: rules at www.example.org|clPurple");
  for (int n = 0; n < 17; ++n) chat.turntimeTimer();
  // Lay R and E below the W, and carry the A towards the board.
  chat.render(chat.game.rackClick(1, 60, 500));
  chat.render(chat.game.boardClick(3 * 39 + 19, 6 * 39 + 19, korvel::client::Button::Left, 0, 0));
  chat.render(chat.game.rackClick(2, 100, 500));
  chat.render(chat.game.boardClick(3 * 39 + 19, 7 * 39 + 19, korvel::client::Button::Left, 0, 0));
  chat.render(chat.game.rackClick(3, 140, 500));
  chat.game.pointerMoved(170, 350);
  chat.render({});
  if (!chat.grab().save(QString::fromLocal8Bit(argv[1]))) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
