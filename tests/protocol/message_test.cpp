#include "protocol/message.h"

#include <gtest/gtest.h>

using namespace korvel::protocol;

namespace {
const std::string FF(1, '\xFF');
}

TEST(Message, SplitsCommandAndArgumentAtFirstPlus) {
  struct Case {
    std::string line, command, argument;
  } cases[] = {
      {"CMD_pass+3+", "CMD_pass", "3+"},
      {"CMD_timeup+", "CMD_timeup", ""},
      {"CMD_chat+2+a+b|clBlack", "CMD_chat", "2+a+b|clBlack"},
      {"no plus here", "", ""},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    auto s = splitLine(c.line);
    EXPECT_EQ(s.command, c.command) << c.line;
    EXPECT_EQ(s.argument, c.argument) << c.line;
  }
}

TEST(Message, ParsesOnlyDecimalIntegers) {
  EXPECT_EQ(parseInt("0"), 0);
  EXPECT_EQ(parseInt("-20"), -20);
  EXPECT_EQ(parseInt("2147483647"), 2147483647);
  EXPECT_EQ(parseInt("-2147483648"), -2147483648LL);
  for (const char* bad :
       {"", "-", "abc", "1a", " 1", "+1", "2147483648", "99999999999999999999", "$1F"}) {
    EXPECT_THROW(parseInt(bad), ParseError) << bad;
  }
}

TEST(Message, ReadsFieldsRestAndLists) {
  FieldReader r("3+5+5+1+6+5+2");
  EXPECT_EQ(r.intField(), 3);
  r.beginList();
  std::vector<int> values;
  while (!r.atListEnd()) values.push_back(r.intField());
  EXPECT_EQ(values, (std::vector<int>{5, 5, 1, 6, 5, 2}));

  FieldReader chat("2+hi + there|clBlack");
  EXPECT_EQ(chat.field(), "2");
  EXPECT_EQ(chat.rest(), "hi + there|clBlack");

  FieldReader missing("abc");
  EXPECT_THROW(missing.field(), ParseError);

  // A list that never ends in exactly "@" runs out of "+" and throws instead of looping.
  FieldReader broken("1+2");
  broken.beginList();
  EXPECT_THROW(
      {
        for (int i = 0; i < 10 && !broken.atListEnd(); ++i) broken.field();
        broken.field();
      },
      ParseError);
}

TEST(Message, ServerMessagesAreByteExact) {
  using namespace toclient;
  EXPECT_EQ(sendlogininfo(2), "CMD_sendlogininfo+2" + FF);
  EXPECT_EQ(full(), "CMD_full+" + FF);
  EXPECT_EQ(newplayerinfo(3, "Red"), "CMD_newplayerinfo+3+Red+0" + FF);
  EXPECT_EQ(existingplayers({{1, "Blue", false}, {5, "Green", true}}),
            "CMD_existingplayers+1+Blue+0+5+Green+1" + FF);
  EXPECT_EQ(havewrongversion("Red"), "CMD_havewrongversion+Red" + FF);
  EXPECT_EQ(wrongversion(), "CMD_wrongversion+" + FF);
  EXPECT_EQ(loadboard(6, {{5, 5, 3}, {6, 5, 1}}), "CMD_loadboard+6+5+5+3+6+5+1" + FF);
  EXPECT_EQ(gamestats(3, 60, 42, 1, 24, {5, 0, -20, 0}, {{1, 3}, {4, -1}}),
            "CMD_gamestats+3+60+42+1+24+s+1+5+s+2+0+s+3+-20+s+4+0+t+1+3+t+4+-1" + FF);
  EXPECT_EQ(playerdisconnected(3, "Red"), "CMD_playerdisconnected+3+Red" + FF);
  EXPECT_EQ(justwatching(2, 1), "CMD_justwatching+2+1" + FF);
  EXPECT_EQ(chat(2, "Red", "hi|clBlack"), "CMD_chat+2+Red chats: hi|clBlack" + FF);
  EXPECT_EQ(action(2, "Red", "waves|clRed"), "CMD_action+2+Red waves|clRed" + FF);
  EXPECT_EQ(playasound(2, "wave3+"), "CMD_playasound+2+wave3+" + FF);
  EXPECT_EQ(startgame("You", "30", 60, "0"), "CMD_startgame+You+30+60+0+" + FF);
  EXPECT_EQ(mytiles(1, {{1, 3}, {4, -1}}), "CMD_mytiles+1+1+3+4+-1" + FF);
  EXPECT_EQ(nextplayer(3, 24), "CMD_nextplayer+3+24+" + FF);
  EXPECT_EQ(playerror(1, 9), "CMD_playerror+1+9+" + FF);
  EXPECT_EQ(goodword(1, 6, 6, {{5, 5, 1, 3}, {6, 5, 2, 1}}, {"cats", "at"}),
            "CMD_goodword+1+6+6+l+5+5+1+3+l+6+5+2+1+w+cats+w+at" + FF);
  EXPECT_EQ(hepassed(2), "CMD_hepassed+2+" + FF);
  EXPECT_EQ(timeup(), "CMD_timeup+" + FF);
  EXPECT_EQ(winner("Red and Blue"), "CMD_winner+Red and Blue+" + FF);
  EXPECT_EQ(notiles(2), "CMD_notiles+2+" + FF);
  EXPECT_EQ(newtiles(2, -20, {{1, 5}, {2, 7}}), "CMD_newtiles+2+-20+30+1+5+2+7" + FF);
  EXPECT_EQ(boughtnew(2, -20), "CMD_boughtnew+2+-20+30+" + FF);
}

TEST(Message, ClientMessagesAreByteExact) {
  using namespace toserver;
  EXPECT_EQ(logininfo("2", "1.0.2", "Red" + FF), "CMD_logininfo+2+1.0.2+Red" + FF + FF);
  EXPECT_EQ(chat(2, "hi+there|clBlack"), "CMD_chat+2+hi+there|clBlack" + FF);
  EXPECT_EQ(chat(2, "bad" + FF + "text|clBlack"), "CMD_chat+2+badtext|clBlack" + FF);
  EXPECT_EQ(action(2, "says: hello|clRed"), "CMD_action+2+says: hello|clRed" + FF);
  EXPECT_EQ(playasound(3, 12), "CMD_playasound+3+wave12+" + FF);
  EXPECT_EQ(kickhim(1, 3), "CMD_kickhim+1+3+" + FF);
  EXPECT_EQ(justwatch(2, 1), "CMD_justwatch+2+1" + FF);
  EXPECT_EQ(startgame("You", "30", "90", "0"), "CMD_startgame+You+30+90+0+" + FF);
  EXPECT_EQ(submit(1, {{5, 5, 1}, {6, 5, 2}}), "CMD_submit+1+5+5+1+6+5+2" + FF);
  EXPECT_EQ(pass(3), "CMD_pass+3+" + FF);
  EXPECT_EQ(newtiles(3), "CMD_newtiles+3+" + FF);
  EXPECT_EQ(cleanName("A+n" + FF + "n"), "Ann");
}
