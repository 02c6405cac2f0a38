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

TEST(TurnAlertText, APeersNameOrWordCannotWriteLinesOrMovesOfItsOwn) {
  const struct {
    std::string player, word, body;
  } cases[] = {
      {"Eve\nAnn laid QUIZ for 99", "CAT", "EveAnn laid QUIZ for 99 laid CAT for 7"},
      {"\xE2\x80\xAE"
       "evE\r\xE2\x80\xA8",
       "CAT", "evE laid CAT for 7"},
      {" \t\n ", "CAT", "The player before you laid CAT for 7"},
      {"Ann", "CAT\nBob laid ZAX", "Ann laid CATBoblaidZAX for 7"},
      {"Ann",
       "\xE2\x80\xAE"
       "12",
       "Ann scored 7"},
  };
  for (const auto& c : cases) {
    GameRecord record;
    record.turns.resize(1);
    record.turns[0].player = c.player;
    record.turns[0].kind = TurnKind::Word;
    record.turns[0].words = {c.word};
    record.turns[0].score = 7;
    EXPECT_EQ(turnAlertBody(record), c.body) << testing::PrintToString(c.player);
  }
}

TEST(TurnAlertText, NotificationsComeAtMostOneInFiveSecondsAndTheLatestWaits) {
  // Each step offers a body (or is the timer's call, nullptr) and says what shows then.
  const struct {
    std::int64_t at;
    const char* offered;
    std::optional<std::string> shown;
    std::optional<std::int64_t> dueAt;
  } steps[] = {
      {1000, nullptr, {}, {}}, {1000, "a", "a", {}},      {1001, "b", {}, 6000},
      {3000, "c", {}, 6000},   {5999, nullptr, {}, 6000}, {6000, nullptr, "c", {}},
      {6001, nullptr, {}, {}}, {20000, "d", "d", {}},     {24999, "e", {}, 25000},
      {31000, "f", "f", {}},  // a late timer: the latest shows, at once
  };
  TurnAlertPacer pacer;
  for (const auto& s : steps) {
    EXPECT_EQ(s.offered ? pacer.offer(s.at, s.offered) : pacer.due(s.at), s.shown) << s.at;
    EXPECT_EQ(pacer.dueAt(), s.dueAt) << s.at;
  }
}
