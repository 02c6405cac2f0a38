#include "client/turn_alert_text.h"

#include <gtest/gtest.h>

using namespace korvel::client;

TEST(TurnAlertText, NamesTheMoveBeforeTheTurnAndEscapesMarkup) {
  const auto turn = [](std::string player, TurnKind kind, std::vector<std::string> words,
                       int score) {
    TurnRecord t;
    t.player = std::move(player);
    t.kind = kind;
    t.words = std::move(words);
    t.score = score;
    return t;
  };
  struct Case {
    TurnRecord last;
    std::string body;
  } cases[] = {
      {turn("Ann", TurnKind::Word, {"QUIZ", "QI"}, 34), "Ann laid QUIZ for 34"},
      {turn("Ann", TurnKind::Word, {}, 5), "Ann scored 5"},
      {turn("Bob", TurnKind::Pass, {}, 0), "Bob passed"},
      {turn("Bob", TurnKind::Bought, {}, 30), "Bob bought new tiles"},
      {turn("Cy", TurnKind::TimeUp, {}, 0), "Cy ran out of time"},
      {turn("Cy", TurnKind::Watching, {}, 0), "Cy started watching"},
      {turn("", TurnKind::Pass, {}, 0), "The player before you passed"},
  };
  for (const auto& c : cases) {
    GameRecord record;
    record.turns = {turn("Zed", TurnKind::Pass, {}, 0), c.last};
    EXPECT_EQ(turnAlertBody(record), c.body);
  }
  EXPECT_EQ(turnAlertBody(GameRecord{}), "The game has started: you play first.");

  EXPECT_EQ(escapeNotificationMarkup("<b>Eve</b> & <img src=x> laid A for 2"),
            "&lt;b&gt;Eve&lt;/b&gt; &amp; &lt;img src=x&gt; laid A for 2");
  EXPECT_EQ(escapeNotificationMarkup("J\xc3\xbcrgen \"quoted\""), "J\xc3\xbcrgen \"quoted\"");
}
