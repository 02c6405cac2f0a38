// The tally dialog over its file: following and dropping opponents with the user's answers, the
// reset, and the figures shown after games and after a reload.
#include "dialogs/ttallylist.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <string>
#include <vector>

#include "dialog_fakes.h"

namespace {

using Strings = std::vector<std::string>;

QStringList texts(const QListWidget* list, bool tickedOnly = false) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) {
    if (!tickedOnly || list->item(i)->checkState() == Qt::Checked) out << list->item(i)->text();
  }
  return out;
}

// The user toggles a tick; the dialog handles it once the click is over.
void toggle(QListWidget* list, const QString& name) {
  const auto found = list->findItems(name, Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1) << name.toStdString();
  QListWidgetItem* item = found.front();
  item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
  QCoreApplication::processEvents();
}

struct Tally {
  ScriptedBoxes boxes;
  QTemporaryDir dir;
  std::filesystem::path file() const { return dir.filePath("Korveltally.tld").toStdString(); }
  std::unique_ptr<Ttallylist> open() {
    auto dialog = std::make_unique<Ttallylist>();
    dialog->loadFrom(file());
    return dialog;
  }
};

TEST(Ttallylist, FollowingDroppingAndResetFollowTheAnswers) {
  const QString dropCleo = "This will delete Cleo's Tally, Are you want to delete it?";
  const QString reset = "Are you sure you want to reset the Tally?";
  struct Case {
    const char* what;
    std::function<void(Ttallylist&)> act;
    std::deque<bool> answers;
    QStringList followed;
    QStringList asked;
    QString ownGames;
  };
  // Every case starts with Bob and Cleo followed and one game counted.
  const Case cases[] = {
      {"tick again",
       [](Ttallylist& d) { toggle(d.checklist, "Bob"); },
       {},
       {"Bob", "Cleo"},
       {},
       "1"},
      {"follow Dan",
       [](Ttallylist& d) { toggle(d.checklist, "Dan"); },
       {},
       {"Bob", "Cleo", "Dan"},
       {},
       "1"},
      {"drop, yes",
       [](Ttallylist& d) { toggle(d.listbox_tally, "Cleo"); },
       {true},
       {"Bob"},
       {dropCleo},
       "1"},
      {"drop, no",
       [](Ttallylist& d) { toggle(d.listbox_tally, "Cleo"); },
       {false},
       {"Bob", "Cleo"},
       {dropCleo},
       "1"},
      {"reset, yes", [](Ttallylist& d) { d.button_resetClick(); }, {true}, {}, {reset}, "0"},
      {"reset, no",
       [](Ttallylist& d) { d.button_resetClick(); },
       {false},
       {"Bob", "Cleo"},
       {reset},
       "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Tally t;
    {
      auto dialog = t.open();
      dialog->loadchecklist({"Bob", "Cleo", "Dan"});
      toggle(dialog->checklist, "Bob");
      toggle(dialog->checklist, "Cleo");
      dialog->addgame("Bob", false, {"Bob", "Cleo", "Dan"});
      t.boxes.answers = c.answers;
      c.act(*dialog);
      EXPECT_EQ(t.boxes.asked, c.asked);
      EXPECT_EQ(texts(dialog->listbox_tally), c.followed);
      EXPECT_EQ(texts(dialog->listbox_tally, true), c.followed) << "every followed name ticked";
      // The current-game list shows a tick exactly for the followed names.
      QStringList followedInGame;
      for (const char* name : {"Bob", "Cleo", "Dan"}) {
        if (c.followed.contains(name)) followedInGame << name;
      }
      EXPECT_EQ(texts(dialog->checklist, true), followedInGame);
      EXPECT_EQ(dialog->mylabel[0]->text(), c.ownGames);
    }
    // What the dialog shows is what is on disk.
    auto reloaded = t.open();
    EXPECT_EQ(texts(reloaded->listbox_tally), c.followed);
    EXPECT_EQ(reloaded->mylabel[0]->text(), c.ownGames);
    EXPECT_TRUE(t.boxes.shown.isEmpty()) << t.boxes.shown.join('|').toStdString();
  }
}

TEST(Ttallylist, FiguresAfterGamesAndAfterAReload) {
  struct Game {
    std::string winner;
    bool mine;
    Strings others;
  };
  struct Case {
    const char* what;
    QString followed;  // followed and selected
    std::vector<Game> games;
    QStringList own;      // mylabel_1, mylabel_2
    QStringList figures;  // label_1 to label_8
  };
  const Case cases[] = {
      {"win",
       "Bob",
       {{"You", true, {"Bob"}}},
       {"1", "1"},
       {"1", "0", "1", "0", "1", "0", "1", "0"}},
      {"loss to him",
       "Bob",
       {{"Bob", false, {"Bob"}}},
       {"1", "0"},
       {"1", "1", "0", "0", "1", "1", "0", "0"}},
      {"tie",
       "Bob",
       {{"You and Bob", false, {"Bob"}}},
       {"1", "0"},
       {"1", "0", "0", "1", "1", "0", "0", "1"}},
      {"he is not in the game",
       "Bob",
       {{"Cleo", false, {"Cleo"}}},
       {"1", "0"},
       {"0", "0", "0", "0", "0", "0", "0", "0"}},
      // The name is his, not a code for the local player's win.
      {"opponent named addtomine wins",
       "addtomine",
       {{"addtomine", false, {"addtomine"}}},
       {"1", "0"},
       {"1", "1", "0", "0", "1", "1", "0", "0"}},
      {"three games",
       "Bob",
       {{"You", true, {"Bob"}}, {"Bob", false, {"Bob", "Cleo"}}, {"Cleo", false, {"Cleo", "Bob"}}},
       {"3", "1"},
       {"3", "1", "1", "1", "3", "1", "1", "1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Tally t;
    {
      auto dialog = t.open();
      dialog->loadchecklist({c.followed.toStdString()});
      toggle(dialog->checklist, c.followed);
      dialog->listbox_tally->setCurrentRow(0);
      for (const Game& g : c.games) dialog->addgame(g.winner, g.mine, g.others);
      EXPECT_EQ(QStringList({dialog->mylabel[0]->text(), dialog->mylabel[1]->text()}), c.own);
      QStringList shown;
      for (QLabel* l : dialog->label) shown << l->text();
      EXPECT_EQ(shown, c.figures);
      EXPECT_EQ(dialog->label_hisnametop->text(), c.followed + "'s Tally");
      EXPECT_EQ(dialog->label_hisname->text(), c.followed + " Wins:");
    }
    // A new run keeps the totals; its own "Session" columns start from 0.
    auto next = t.open();
    next->listbox_tally->setCurrentRow(0);
    QStringList expected = c.figures.mid(0, 4) + QStringList{"0", "0", "0", "0"};
    QStringList shown;
    for (QLabel* l : next->label) shown << l->text();
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(next->mylabel[0]->text(), c.own[0]);
  }
}

}  // namespace
