#include "client/chat_line.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "client/phrases.h"

namespace {

using korvel::client::ChatRun;
using Kind = ChatRun::Kind;

// Runs written compactly: text as is, "<link|address>" for a link, "#N" for smiley N.
std::vector<std::string> describe(const std::vector<ChatRun>& runs) {
  std::vector<std::string> out;
  for (const auto& r : runs) {
    if (r.kind == Kind::Smiley) {
      out.push_back("#" + std::to_string(r.picture));
    } else if (r.kind == Kind::Link) {
      out.push_back("<" + r.text + "|" + r.address + ">");
    } else if (r.kind == Kind::Invitation) {
      out.push_back("[" + r.text + "|" + r.address + "]");
    } else {
      out.push_back(r.text);
    }
  }
  return out;
}

TEST(ChatLine, RunsOfALine) {
  struct Case {
    std::string text;
    int style;
    std::vector<std::string> runs;
  } cases[] = {
      {"0+You are Connected.", 0, {" ", "You ", "are ", "Connected. "}},
      {"2+Ann chats: hi :)#12 there", 7, {"Ann chats: ", " ", "hi ", " ", "#2", " ", "there "}},
      {"3+Bo: :)#99", 8, {"Bo: ", " ", " ", "#0"}},
      {"3+Bo: a:)#5xb", 8, {"Bo: ", " ", "a ", "#0", "b "}},
      {"3+Bo: :)#1", 8, {"Bo: ", " ", " ", "#0"}},  // fewer than two characters left
      {"9+Zed chats: see www.x.org now",
       14,
       {"Zed chats: ", " ", "see ", "<www.x.org |www.x.org>", "now "}},
      {"1+A: go  HTTP://Q", 6, {"A: ", " ", "go ", " ", "<HTTP://Q |HTTP://Q>"}},
      {"4+no colon here", 9, {" ", "no ", "colon ", "here "}},
      {"0+", 0, {" "}},
      // An invitation link is one run without the punctuation after it, whatever the case.
      {"0+Links: korvel://10.0.0.2:7772, KORVEL://[::1]:8000 (click",
       0,
       {"Links: ", " ", "[korvel://10.0.0.2:7772|korvel://10.0.0.2:7772]", ", ",
        "[KORVEL://[::1]:8000|KORVEL://[::1]:8000]", " ", "(click "}},
      {"2+Ann: korvel:box http://korvel://x",
       7,
       {"Ann: ", " ", "korvel:box ", "<http://korvel://x |http://korvel://x>"}},
  };
  for (const auto& c : cases) {
    const auto line = korvel::client::parseChatLine(c.text);
    ASSERT_TRUE(line) << c.text;
    EXPECT_EQ(line->style, c.style) << c.text;
    EXPECT_EQ(describe(line->runs), c.runs) << c.text;
  }
  for (const char* bad : {"x+hi", "+hi", "10+hi", "-1+hi", "hi"})
    EXPECT_FALSE(korvel::client::parseChatLine(bad)) << bad;
  // A click on an invitation copies it; nothing else is taken for one.
  EXPECT_TRUE(korvel::client::isInvitationAddress("Korvel://box"));
  EXPECT_FALSE(korvel::client::isInvitationAddress("http://korvel://box"));
  EXPECT_FALSE(korvel::client::isInvitationAddress("korvel:/box"));
}

TEST(ChatLine, TheOldestLinesGoInBatches) {
  const struct {
    int lines, limit, dropped;
  } cases[] = {
      {20000, 20000, 0}, {20500, 20000, 0}, {20501, 20000, 501}, {60, 60, 0},
      {61, 60, 0},       {62, 60, 2},       {3, 0, 2},           {0, 20000, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(korvel::client::chatLinesToDrop(c.lines, c.limit), c.dropped)
        << c.lines << " " << c.limit;
  }
}

TEST(ChatLine, ReceivedColourAndLinks) {
  // The colour follows the last "|": a "|" in the text stays in the line.
  auto r = korvel::client::splitReceivedChat("2+Ann chats: a|b|clRed");
  EXPECT_EQ(r.line, "2+Ann chats: a|b");
  EXPECT_EQ(r.colourText, "clRed");
  r = korvel::client::splitReceivedChat("2+Ann chats: a||");
  EXPECT_EQ(r.line, "2+Ann chats: a|");
  EXPECT_EQ(r.colourText, "");
  EXPECT_FALSE(korvel::client::splitReceivedChat("2+Ann chats: a").colourText);

  struct Case {
    const char* address;
    const char* opens;  // nullptr: opens nothing
  } cases[] = {
      {"http://a.org", "http://a.org"},  {"HTTPS://A.org/x", "HTTPS://A.org/x"},
      {"www.a.org", "http://www.a.org"}, {"WWW.a.org", "http://WWW.a.org"},
      {"file:///home/www.x", nullptr},   {"javascript:alert(1)//http://x", nullptr},
      {"xhttp://a.org", nullptr},
  };
  for (const auto& c : cases) {
    const auto target = korvel::client::linkTarget(c.address);
    if (c.opens) {
      EXPECT_EQ(target, c.opens) << c.address;
    } else {
      EXPECT_FALSE(target) << c.address;
    }
  }
}

TEST(Phrases, MessagesClipsAndCooldown) {
  using korvel::client::phraseMessage;
  EXPECT_EQ(phraseMessage(2, "Way To Go!", "clBlack"), "CMD_action+2+says: Way To Go!|clBlack\xFF");
  EXPECT_EQ(phraseMessage(2, "/me waves", "clRed"), "CMD_action+2+waves|clRed\xFF");
  EXPECT_EQ(phraseMessage(2, "", "clRed"), "CMD_action+2+says: |clRed\xFF");
  EXPECT_EQ(korvel::client::clipMessage(3, 4), "CMD_playasound+3+wave4+\xFF");
  struct Input {
    const char* typed;
    const char* sent;  // nullptr: nothing
  } inputs[] = {
      {"hi there", "CMD_chat+2+hi there|clBlack\xFF"},
      {"/me waves", "CMD_action+2+waves|clRed\xFF"},
      {"/meow", "CMD_action+2+w|clRed\xFF"},
      {"/me", "CMD_action+2+|clRed\xFF"},
      {"/help", nullptr},
      {"", nullptr},
  };
  for (const auto& in : inputs) {
    const auto sent = korvel::client::inputMessage(2, in.typed, "clBlack", "clRed");
    if (in.sent) {
      EXPECT_EQ(sent, in.sent) << in.typed;
    } else {
      EXPECT_FALSE(sent) << in.typed;
    }
  }
  EXPECT_FALSE(korvel::client::clipMessage(3, 0));

  const auto clip = korvel::client::readClip("2+wave3+");
  ASSERT_TRUE(clip);
  EXPECT_EQ(clip->seat, 2);
  EXPECT_EQ(clip->name, "wave3");
  EXPECT_EQ(korvel::client::clipLine("Bob", "wave3"), "0+Bob: <Chatter Sound> Hello");
  EXPECT_FALSE(korvel::client::clipLine("", "wave3"));      // a spectator seat has no name
  EXPECT_FALSE(korvel::client::clipLine("Bob", "wave15"));  // no menu title
  EXPECT_FALSE(korvel::client::readClip("x+wave3+"));
  // A peer makes others hear voice clips only, never the game's own cues.
  for (const char* name : {"wave1", "wave20"}) {
    const auto voice = korvel::client::readClip(std::string("3+") + name + "+");
    ASSERT_TRUE(voice) << name;
    EXPECT_EQ(voice->name, name);
  }
  for (const char* name : {"gameover", "turn", "tick", "wave0", "wave21", "wave01", "Wave3", ""})
    EXPECT_FALSE(korvel::client::readClip(std::string("3+") + name + "+")) << name;

  korvel::client::PhraseCooldown cooldown;
  const auto t0 = korvel::client::PhraseCooldown::Clock::time_point{};
  EXPECT_TRUE(cooldown.ready(t0));
  cooldown.used(t0);
  EXPECT_FALSE(cooldown.ready(t0 + std::chrono::milliseconds(1999)));
  EXPECT_TRUE(cooldown.ready(t0 + std::chrono::milliseconds(2000)));
}

}  // namespace
