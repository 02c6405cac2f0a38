// The spy list: the host removes the spectator under the pointer, nobody else removes anyone.
#include "dialogs/tspylist.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QStringListModel>
#include <string>
#include <vector>

#include "client/game_mirror.h"
#include "protocol/message.h"

namespace {

void moveOver(QListView* list, QPoint at) {
  QMouseEvent move(QEvent::MouseMove, at, list->viewport()->mapToGlobal(at), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &move);
}

TEST(Tspylist, RemoveFromGameSendsThePointedSeatOnlyForTheHost) {
  struct Case {
    const char* what;
    bool hosting;
    int row;            // pointed row; -1 below the entries
    QStringList after;  // the list when the command is chosen
    std::vector<std::string> sent;
  };
  const QStringList spies = {"5: Eve", "7: Gus"};
  const Case cases[] = {
      {"host, second entry", true, 1, spies, {korvel::protocol::toserver::kickhim(1, 7)}},
      {"host, first entry", true, 0, spies, {korvel::protocol::toserver::kickhim(1, 5)}},
      {"host, below the entries", true, -1, spies, {}},
      {"not hosting", false, 1, spies, {}},
      // Gus left and Ivy came while the menu was open: nobody is removed in his place.
      {"entry gone", true, 1, {"5: Eve", "8: Ivy"}, {}},
      {"entry moved up", true, 1, {"7: Gus"}, {korvel::protocol::toserver::kickhim(1, 7)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    korvel::client::GameMirror game;
    game.myplayer = 1;
    game.connected = true;
    game.hosting = c.hosting;
    std::vector<std::string> sent;
    QStringListModel model(spies);
    Tspylist dialog;
    dialog.setModel(&model);
    dialog.hosting = [&] { return game.hosting; };
    dialog.kicking = [&](int seat) {
      for (const auto& m : game.kicking(seat).send) sent.push_back(m);
    };
    dialog.show();
    EXPECT_FALSE(dialog.popup_kickhim->isEnabled()) << "disabled until the menu opens for a host";
    QListView* list = dialog.listbox_spys;
    const QRect last = list->visualRect(model.index(spies.size() - 1));
    const QPoint at = c.row >= 0 ? list->visualRect(model.index(c.row)).center()
                                 : QPoint(last.center().x(), last.bottom() + 20);
    moveOver(list, at);
    EXPECT_EQ(dialog.pointed(), c.row);

    emit list->customContextMenuRequested(at);
    EXPECT_EQ(dialog.popup_kickhim->isEnabled(), c.hosting);
    dialog.popup_spys->close();
    model.setStringList(c.after);
    dialog.popup_kickhimClick();  // also when the disabled entry is reached somehow
    EXPECT_EQ(sent, c.sent);
  }
}

}  // namespace
