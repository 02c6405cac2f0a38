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
  struct Case {
    std::string player;
    std::vector<std::string> words;
    std::string body;
  } cases[] = {
      {"Eve\nAnn laid QUIZ for 99", {"CAT"}, "EveAnn laid QUIZ for 99 laid CAT for 7"},
      {"Eve\r\n\xE2\x80\xA8\xC2\x85", {"CAT"}, "Eve laid CAT for 7"},
      {"\xE2\x80\xAE"
       "evE",
       {"CAT"},
       "evE laid CAT for 7"},
      {"\t\n ", {"CAT"}, "The player before you laid CAT for 7"},
      {"  Ann  ", {"CAT"}, "Ann laid CAT for 7"},
      {"J\xFCrgen", {"CAT"}, "J\xC3\xBCrgen laid CAT for 7"},
      {"Ann", {"CAT\nBob laid ZAX for 99"}, "Ann laid CATBoblaidZAXfor for 7"},
      {"Ann",
       {"\xE2\x80\xAE"
        "TAC"},
       "Ann laid TAC for 7"},
      {"Ann", {"12\n"}, "Ann scored 7"},
  };
  for (const auto& c : cases) {
    TurnRecord t;
    t.player = c.player;
    t.kind = TurnKind::Word;
    t.words = c.words;
    t.score = 7;
    GameRecord record;
    record.turns = {t};
    EXPECT_EQ(turnAlertBody(record), c.body) << testing::PrintToString(c.player);
  }
}

TEST(TurnAlertText, NotificationsComeAtMostOneInFiveSecondsAndTheLatestWaits) {
  // Each step offers a body (or only lets time pass) and says what is shown then.
  struct Step {
    std::int64_t at;
    const char* offered;  // nullptr: the timer's call, nothing offered
    std::optional<std::string> shown;
    std::optional<std::int64_t> dueAt;
  } steps[] = {
      {1000, nullptr, std::nullopt, std::nullopt},  // nothing waits, nothing shows
      {1000, "a", "a", std::nullopt},
      {1001, "b", std::nullopt, 6000},
      {3000, "c", std::nullopt, 6000},  // replaces b
      {5999, nullptr, std::nullopt, 6000},
      {6000, nullptr, "c", std::nullopt},
      {6001, nullptr, std::nullopt, std::nullopt},
      {20000, "d", "d", std::nullopt},  // long after: at once
      {24999, "e", std::nullopt, 25000},
      {26000, nullptr, "e", std::nullopt},  // a late timer still shows it
      {26500, "f", std::nullopt, 31000},
      {31000, "g", "g", std::nullopt},  // offered right when due: shown, f is gone
      {40000, nullptr, std::nullopt, std::nullopt},
  };
  TurnAlertPacer pacer;
  for (const Step& s : steps) {
    SCOPED_TRACE(s.at);
    const auto shown = s.offered ? pacer.offer(s.at, s.offered) : pacer.due(s.at);
    EXPECT_EQ(shown, s.shown);
    EXPECT_EQ(pacer.dueAt(), s.dueAt);
  }
}
