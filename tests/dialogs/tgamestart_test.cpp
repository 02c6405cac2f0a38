#include "dialogs/tgamestart.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSpinBox>
#include <QTest>
#include <string>
#include <vector>

#include "protocol/message.h"
#include "window/artwork.h"
#include "window/picture_button.h"

namespace {

TEST(Tgamestart, CountersBringOutsideValuesToTheNearestBound) {
  // The counters show the locale's digits (Arabic-Indic under Arabic); the message never does.
  const auto shown = [](int n) { return QLocale().toString(n); };
  enum Counter { Time, Score, Team, Computers, Keep };
  struct Case {
    Counter counter;
    int set;
    int expected;
  };
  const Case cases[] = {
      {Time, 1, 45},     {Time, 200, 120},  {Time, 45, 45},     {Time, 120, 120},
      {Time, 62, 62},  // between two steps: kept, like the counter itself does
      {Score, 0, 30},    {Score, 500, 100}, {Score, 55, 55},    {Team, -1, 0},
      {Team, 5, 1},      {Team, 0, 0},      {Computers, -1, 0}, {Computers, 4, 3},
      {Computers, 2, 2}, {Keep, -1, 0},     {Keep, 11, 10},     {Keep, 0, 0},
      {Keep, 7, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.counter) + ": " + std::to_string(c.set));
    Tgamestart dialog;
    switch (c.counter) {
      case Time:
        dialog.setCreationTime(c.set);
        EXPECT_EQ(dialog.creationTime(), c.expected);
        EXPECT_EQ(dialog.edit_creationtime->text(), shown(c.expected));
        break;
      case Score:
        dialog.setPlayToScore(c.set);
        EXPECT_EQ(dialog.playToScore(), c.expected);
        EXPECT_EQ(dialog.edit_playtoscore->text(), shown(c.expected));
        break;
      case Team:
        dialog.setTeam(c.set);
        EXPECT_EQ(dialog.team(), c.expected);
        break;
      case Computers:
        dialog.setComputerPlayers(c.set);
        EXPECT_EQ(dialog.computerPlayers(), c.expected);
        EXPECT_EQ(dialog.edit_computerplayers->text(), shown(c.expected));
        break;
      case Keep:
        dialog.setKeepDroppedSeat(c.set);
        EXPECT_EQ(dialog.keepDroppedSeat(), c.expected);
        EXPECT_EQ(dialog.edit_keepseat->text(), shown(c.expected) + " min");
        break;
    }
  }
}

TEST(Tgamestart, TurnTimeStepsByFiveAndStopsAtBothEnds) {
  Tgamestart dialog;
  dialog.setCreationTime(45);
  std::vector<int> up, down;
  for (int i = 0; i < 17; ++i) {
    up.push_back(dialog.creationTime());
    QTest::keyClick(dialog.UpDown2, Qt::Key_Up);
  }
  for (int i = 0; i < 17; ++i) {
    down.push_back(dialog.creationTime());
    QTest::keyClick(dialog.UpDown2, Qt::Key_Down);
  }
  std::vector<int> expectedUp, expectedDown;
  for (int t = 45; t <= 120; t += 5) expectedUp.push_back(t);
  for (int t = 120; t >= 45; t -= 5) expectedDown.push_back(t);
  expectedUp.push_back(120);
  expectedDown.push_back(45);
  EXPECT_EQ(up, expectedUp);
  EXPECT_EQ(down, expectedDown);
  EXPECT_EQ(dialog.creationTime(), 45);
  // Typing into the box changes nothing.
  QTest::keyClicks(dialog.edit_creationtime, "9");
  EXPECT_EQ(dialog.creationTime(), 45);
}

TEST(Tgamestart, EnterStartsTheGameWithTheShownValues) {
  struct Case {
    int time, score, teamClicks;
    std::string expected;
  };
  const std::string ff(1, '\xFF');
  const Case cases[] = {
      // No settings file: the loaded turn time "1" becomes 45.
      {1, 30, 0, "CMD_startgame+You+30+45+1+" + ff},
      {200, 55, 1, "CMD_startgame+You+55+120+0+" + ff},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    QWidget window;
    window.setGeometry(100, 80, 767, 539);
    window.show();
    Tgamestart dialog;
    dialog.centreOver = &window;
    std::vector<std::string> sent;
    int saved = 0;
    dialog.send = [&](const std::string& m) { sent.push_back(m); };
    dialog.savesettings = [&] { ++saved; };
    dialog.playername = [] { return std::string("You"); };
    // The host's server learns the grace time before the start goes out.
    std::vector<int> keep;
    dialog.keepseat = [&](int seconds) {
      keep.push_back(seconds);
      EXPECT_TRUE(sent.empty());
    };
    EXPECT_EQ(dialog.keepDroppedSeat(), 3) << "three minutes until chosen";
    dialog.setKeepDroppedSeat(c.score == 55 ? 0 : 4);
    dialog.setCreationTime(c.time);
    dialog.setPlayToScore(c.score);
    for (int i = 0; i < c.teamClicks; ++i) dialog.image_teamClick();
    dialog.show();
    EXPECT_LE((dialog.frameGeometry().center() - window.frameGeometry().center()).manhattanLength(),
              1);

    QTest::keyClick(dialog.edit_creationtime, Qt::Key_Return);

    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], c.expected);
    EXPECT_EQ(sent[0], korvel::protocol::toserver::startgame(
                           "You", std::to_string(c.score < 30 ? 30 : c.score),
                           std::to_string(std::clamp(c.time, 45, 120)),
                           std::to_string(c.teamClicks % 2 ? 0 : 1)));
    EXPECT_TRUE(dialog.isHidden());
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(keep, std::vector<int>{c.score == 55 ? 0 : 240});
  }
}

TEST(Tgamestart, TeamClickTogglesTheFlagAndItsPicture) {
  Tgamestart dialog;
  const qreal dpr = dialog.devicePixelRatioF();
  for (int expected : {0, 1, 0}) {
    QTest::mouseClick(dialog.image_team, Qt::LeftButton);
    EXPECT_EQ(dialog.team(), expected);
    EXPECT_EQ(dialog.image_team->pixmap().toImage(),
              artwork::checkBox(expected == 1, dpr).toImage());
  }
}

TEST(Tgamestart, ComputerLevelChoosesEasyNormalOrStrongStartsAtEasyAndSaysWhatEachKnows) {
  Tgamestart dialog;
  dialog.show();
  EXPECT_EQ(dialog.label_computerlevel->text(), "Computer Level:");
  EXPECT_TRUE(dialog.combo_computerlevel->isVisible());
  ASSERT_EQ(dialog.combo_computerlevel->count(), 3);
  EXPECT_EQ(dialog.combo_computerlevel->itemText(0), "Easy");
  EXPECT_EQ(dialog.combo_computerlevel->itemText(1), "Normal");
  EXPECT_EQ(dialog.combo_computerlevel->itemText(2), "Strong");
  EXPECT_EQ(dialog.computerLevel(), korvel::bot::Level::Easy);
  EXPECT_EQ(dialog.combo_computerlevel->itemData(0, Qt::ToolTipRole).toString(),
            "Easy: everyday words, gentle");
  EXPECT_EQ(dialog.combo_computerlevel->itemData(1, Qt::ToolTipRole).toString(),
            "Normal: well-known words");
  EXPECT_EQ(dialog.combo_computerlevel->itemData(2, Qt::ToolTipRole).toString(),
            "Strong: every word in the list");
  // The line under the choice follows it, whether a key or the program changes it.
  EXPECT_TRUE(dialog.label_levelsummary->isVisible());
  EXPECT_EQ(dialog.label_levelsummary->text(), "Easy: everyday words, gentle");
  // The arrow keys step through the levels.
  QTest::keyClick(dialog.combo_computerlevel, Qt::Key_Down);
  EXPECT_EQ(dialog.computerLevel(), korvel::bot::Level::Normal);
  EXPECT_EQ(dialog.label_levelsummary->text(), "Normal: well-known words");
  QTest::keyClick(dialog.combo_computerlevel, Qt::Key_Down);
  EXPECT_EQ(dialog.computerLevel(), korvel::bot::Level::Strong);
  EXPECT_EQ(dialog.label_levelsummary->text(), "Strong: every word in the list");
  QTest::keyClick(dialog.combo_computerlevel, Qt::Key_Up);
  QTest::keyClick(dialog.combo_computerlevel, Qt::Key_Up);
  EXPECT_EQ(dialog.computerLevel(), korvel::bot::Level::Easy);
  dialog.setComputerLevel(korvel::bot::Level::Strong);
  EXPECT_EQ(dialog.combo_computerlevel->currentText(), "Strong");
  EXPECT_EQ(dialog.label_levelsummary->text(), "Strong: every word in the list");
  dialog.hide();
}

TEST(Tgamestart, ShowsOnlyTheTurnTimeAndComputerPlayersAndEveryControlIsNamed) {
  Tgamestart dialog;
  dialog.show();
  EXPECT_EQ(dialog.windowTitle(), "Korvel - Game Start");
  EXPECT_EQ(dialog.label_title->text(), "Game Option");
  EXPECT_TRUE(dialog.UpDown2->isVisible());
  EXPECT_TRUE(dialog.UpDown3->isVisible());
  EXPECT_EQ(dialog.label_computerplayers->text(), "Computer Players:");
  EXPECT_TRUE(dialog.button_start->isVisible());
  EXPECT_TRUE(dialog.button_start->isDefault());
  for (QWidget* w :
       {static_cast<QWidget*>(dialog.UpDown1), static_cast<QWidget*>(dialog.image_team)})
    EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "fixed size";
  for (QWidget* w : dialog.findChildren<QWidget*>()) {
    EXPECT_FALSE(w->accessibleName().isEmpty()) << w->metaObject()->className();
  }
  dialog.hide();
}

}  // namespace
