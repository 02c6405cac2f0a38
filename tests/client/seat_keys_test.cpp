// The seat keys a player keeps for the hosts it played at, and the key the mirror takes.
#include "client/seat_keys.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "client/game_mirror.h"
#include "tests/dictionary/temp_dir.h"

using korvel::client::SeatKey;

namespace {

const std::string kKeyA(32, 'a'), kKeyB(32, 'b');

}  // namespace

TEST(SeatKeys, TheFileKeepsOneKeyPerHostPortAndNameNewestFirst) {
  std::vector<SeatKey> keys;
  korvel::client::rememberSeatKey(keys, {"10.0.0.1", 7772, "Bob", kKeyA});
  korvel::client::rememberSeatKey(keys, {"10.0.0.1", 7773, "Bob", kKeyA});
  korvel::client::rememberSeatKey(keys, {"10.0.0.1", 7772, "Bob", kKeyB});  // a new seating
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].key, kKeyB);
  struct Lookup {
    const char* host;
    int port;
    const char* name;
    std::optional<std::string> key;
  } lookups[] = {
      {"10.0.0.1", 7772, "Bob", kKeyB},
      {"10.0.0.1", 7773, "Bob", kKeyA},
      {"10.0.0.1", 7772, "bob", std::nullopt},  // another name
      {"10.0.0.2", 7772, "Bob", std::nullopt},  // another host
  };
  for (const Lookup& l : lookups) {
    SCOPED_TRACE(std::string(l.host) + " " + std::to_string(l.port) + " " + l.name);
    EXPECT_EQ(korvel::client::seatKeyFor(keys, l.host, l.port, l.name), l.key);
  }
  for (int n = 0; n < 40; ++n) {
    korvel::client::rememberSeatKey(keys, {"h" + std::to_string(n), 1, "Bob", kKeyA});
  }
  EXPECT_EQ(keys.size(), korvel::client::kKeptSeatKeys);
  EXPECT_EQ(keys[0].host, "h39");

  // What the file says: a name with blanks reads back; lines that are not
  // a host, a port, a key and a name are left out.
  const std::vector<SeatKey> written = {{"::1", 1, "Ann Lee jr", kKeyA}};
  EXPECT_EQ(korvel::client::readSeatKeys(korvel::client::seatKeysText(written)), written);
  const std::string damaged = "h\t7772\t" + kKeyA + "\n" +           // no name
                              "h\t0\t" + kKeyA + "\tBob\n" +         // no port
                              "h\t99999\t" + kKeyA + "\tBob\n" +     // beyond the ports
                              "h\t7772\t" + kKeyA + "X\tBob\n" +     // not a key
                              "h\t7772\t" + kKeyB + "\tBob\x01\n" +  // a control character
                              "h\t7772\t" + kKeyB + "\tBob";         // the one good line
  EXPECT_EQ(korvel::client::readSeatKeys(damaged),
            (std::vector<SeatKey>{{"h", 7772, "Bob", kKeyB}}));
}

TEST(SeatKeys, SavedForTheUserAloneAndTakenFromTheHostOnlyWhenWellFormed) {
  TempDir dir;
  const auto file = dir.path() / "state" / korvel::client::kSeatKeysFileName;
  EXPECT_TRUE(korvel::client::loadSeatKeys(file).empty());
  ASSERT_TRUE(korvel::client::saveSeatKeys(file, {{"h", 7772, "Bob", kKeyA}}));
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(korvel::client::loadSeatKeys(file).size(), 1u);

  korvel::client::GameMirror game;
  for (const std::string& bad : {std::string(31, 'a'), std::string(32, 'A'), std::string(33, 'a'),
                                 std::string("../") + std::string(29, 'a')}) {
    EXPECT_FALSE(game.handleLine("CMD_seatkey+" + bad).seatKeyGiven) << bad;
  }
  EXPECT_TRUE(game.handleLine("CMD_seatkey+" + kKeyA).seatKeyGiven);
  EXPECT_FALSE(game.handleLine("CMD_seatkey+" + kKeyA).seatKeyGiven) << "nothing new to keep";
  game.startOver();  // a reconnect keeps the key that gets the seat back
  EXPECT_EQ(game.seatKey, kKeyA);
}
