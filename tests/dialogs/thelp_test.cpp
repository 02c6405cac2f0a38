// Help and about: topics switch page and heading together and the last page stays; the link and
// the logo open the maker's site; every View and Help entry of the main window opens its dialog.
#include "dialogs/thelp.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QTextBrowser>
#include <map>

#include "app/web_address.h"
#include "dialog_fakes.h"
#include "dialogs/help_pages.h"
#include "dialogs/tabout.h"
#include "protocol/message.h"
#include "window/game_history_window.h"
#include "window/panel_widgets.h"
#include "window/past_games_window.h"
#include "window/tchat.h"

namespace {

TEST(Thelp, TopicsSwitchPageAndHeadingTogetherAndTheLastPageStays) {
  Thelp help;
  help.show();
  EXPECT_EQ(help.currentPage()->objectName(), "memo1");
  EXPECT_EQ(help.label_caption->text(), "Overview");

  const std::vector<std::pair<int, QString>> topics = {{1, "Overview"},  {2, "Connecting"},
                                                       {3, "Game Play"}, {4, "Scoring"},
                                                       {7, "Options"},   {5, "Documentation"}};
  ASSERT_EQ(help.SelButton.size(), topics.size());
  // Backwards, so that every click changes the page.
  for (int i = static_cast<int>(topics.size()) - 1; i >= 0; --i) {
    const auto& [tag, caption] = topics[i];
    QPushButton* button = help.SelButton[i];
    EXPECT_EQ(button->text(), caption);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(help.currentPage()->objectName(), QString("memo%1").arg(tag));
    EXPECT_EQ(help.label_caption->text(), caption);
    EXPECT_EQ(help.currentPage()->accessibleName(), caption);
  }
  QTest::mouseClick(help.SelButton[3], Qt::LeftButton);
  QTest::mouseClick(help.button_done, Qt::LeftButton);
  EXPECT_TRUE(help.isHidden());
  help.show();
  EXPECT_EQ(help.currentPage()->objectName(), "memo4");
  EXPECT_EQ(help.label_caption->text(), "Scoring");
}

TEST(Thelp, ComputerPlayersAreMentionedOnlyInTheirOwnParagraph) {
  // So the paragraphs can go without leaving a word about them behind.
  int paragraphs = 0;
  for (const auto& topic : korvel::dialogs::helpTopics()) {
    std::string html = topic.html;
    for (const std::string paragraph :
         {korvel::dialogs::kComputerPlayersHelp, korvel::dialogs::kComputerLevelsHelp}) {
      if (auto at = html.find(paragraph); at != std::string::npos) {
        ++paragraphs;
        html.erase(at, paragraph.size());
      }
    }
    const QString rest = QString::fromStdString(html);
    for (const char* word : {"computer player", "Computer Player", "Bot", "Klot", "Klick", "Kling"})
      EXPECT_FALSE(rest.contains(word)) << topic.caption << ": " << word;
  }
  EXPECT_EQ(paragraphs, 2);
}

TEST(Tabout, LinkAndLogoOpenTheMakersSiteAndTheVersionIsTheLoginsText) {
  RecordingDesktop desktop;
  Tabout about;
  about.show();
  QTest::mouseClick(about.label_url, Qt::LeftButton);
  QTest::mouseClick(about.image_aboutlogo, Qt::LeftButton);
  QTest::mouseClick(about.label_url, Qt::RightButton);
  EXPECT_EQ(desktop.opened, QStringList({korvel::app::kMakerSite, korvel::app::kMakerSite}));
  EXPECT_EQ(about.version->text(), korvel::protocol::kVersion);
  EXPECT_TRUE(about.licence->toPlainText().contains("Permission is hereby granted"));
  QTest::mouseClick(about.button_done, Qt::LeftButton);
  EXPECT_TRUE(about.isHidden());
}

TEST(TchatMenus, EveryViewAndHelpEntryReachesItsHookAndF1OpensHelp) {
  ScriptedBoxes boxes;
  RecordingDesktop desktop;
  Tchat chat({"Ann"}, {1, 1});
  std::map<std::string, int> calls;
  chat.ViewTally1Click = [&] { ++calls["tally"]; };
  chat.SpyList1Click = [&] { ++calls["spies"]; };
  chat.showPhrases = [&] { ++calls["phrases"]; };
  chat.Help2Click = [&] { ++calls["help"]; };
  chat.About1Click = [&] { ++calls["about"]; };
  chat.DownloadLobby1Click = [&] { ++calls["download"]; };
  const std::vector<std::pair<QString, std::vector<std::pair<QString, std::string>>>> menus = {
      {"View",
       {{"View Tally", "tally"},
        {"Spy List", "spies"},
        {"Phrase List", "phrases"},
        {"Game History", "history"},
        {"Past Games", "past"}}},
      {"Help",
       {{"Content", "help"}, {"Download the Lobby...", "download"}, {"", ""}, {"About", "about"}}},
  };
  for (const auto& [title, entries] : menus) {
    QMenu* menu = nullptr;
    for (QAction* a : chat.menuBar()->actions()) {
      if (a->text() == title) menu = a->menu();
    }
    ASSERT_NE(menu, nullptr) << title.toStdString();
    ASSERT_EQ(menu->actions().size(), static_cast<qsizetype>(entries.size()));
    for (int i = 0; i < menu->actions().size(); ++i) {
      QAction* action = menu->actions()[i];
      EXPECT_EQ(action->text(), entries[i].first);
      if (action->isSeparator()) continue;
      action->trigger();
      // The game's record windows belong to the main window itself.
      if (entries[i].second == "history") {
        EXPECT_TRUE(chat.historyWindow && chat.historyWindow->isVisible());
        continue;
      }
      if (entries[i].second == "past") {
        EXPECT_TRUE(chat.pastGamesWindow && chat.pastGamesWindow->isVisible());
        continue;
      }
      EXPECT_EQ(calls[entries[i].second], 1) << entries[i].second;
    }
  }
  chat.show();
  chat.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&chat));
  QTest::keyClick(&chat, Qt::Key_F1);
  EXPECT_EQ(calls["help"], 2);
  QTest::mouseClick(chat.image_logo, Qt::LeftButton);
  EXPECT_EQ(desktop.opened, QStringList{korvel::app::kMakerSite});
  chat.hide();
}

}  // namespace
