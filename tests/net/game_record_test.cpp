// The TXT record both ways, hostile records included, and the found-games list's rules.
#include "net/game_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/game_list.h"
#include "server/server_core.h"

namespace korvel::net {
namespace {

using Txt = std::vector<std::string>;

const Txt kGood = {"v=1.0.2", "host=Ann", "players=2", "watchers=1", "state=waiting"};

// kGood with one item replaced (or, with an empty replacement, left out).
Txt with(const std::string& key, const std::string& item) {
  Txt out;
  for (const std::string& s : kGood) {
    if (s.rfind(key + "=", 0) != 0) {
      out.push_back(s);
    } else if (!item.empty()) {
      out.push_back(item);
    }
  }
  return out;
}

TEST(GameRecord, EncodesAndDecodesBack) {
  const GameAnnouncement game{"1.0.2", "Jürgen", 3, 5, GameState::Running};
  const Txt txt = encodeTxt(game);
  EXPECT_EQ(txt, (Txt{"v=1.0.2", "host=Jürgen", "players=3", "watchers=5", "state=running"}));
  EXPECT_EQ(decodeTxt(txt), game);

  // What is published always decodes: over-long names are cut on a character boundary and
  // counts are clamped.
  std::string longName;
  for (int i = 0; i < 40; ++i) longName += "ü";  // 80 bytes
  const auto cut = decodeTxt(encodeTxt({"1.0.2", longName, 9, -1, GameState::Waiting}));
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->host, longName.substr(0, 62));
  EXPECT_EQ(cut->players, 4);
  EXPECT_EQ(cut->watchers, 0);
}

TEST(GameRecord, AcceptsWhatDnsSdAllows) {
  struct Case {
    Txt txt;
    GameAnnouncement expected;
  };
  const GameAnnouncement ann{"1.0.2", "Ann", 2, 1, GameState::Waiting};
  const Case cases[] = {
      {kGood, ann},
      // Keys in any order and letter case, unknown keys and bare attributes skipped.
      {{"STATE=waiting", "Watchers=1", "x-future=1", "flag", "players=2", "HOST=Ann", "v=1.0.2"},
       ann},
      {with("players", "players=0"), {"1.0.2", "Ann", 0, 1, GameState::Waiting}},
      {with("watchers", "watchers=5"), {"1.0.2", "Ann", 2, 5, GameState::Waiting}},
      {with("state", "state=running"), {"1.0.2", "Ann", 2, 1, GameState::Running}},
      // Another version is listed as such; the join tells the player.
      {with("v", "v=2.0"), {"2.0", "Ann", 2, 1, GameState::Waiting}},
      {with("host", "host=<b>Eve</b> & co"),
       {"1.0.2", "<b>Eve</b> & co", 2, 1, GameState::Waiting}},
      {with("host", "host=a=b"), {"1.0.2", "a=b", 2, 1, GameState::Waiting}},
  };
  for (const Case& c : cases) {
    const auto got = decodeTxt(c.txt);
    ASSERT_TRUE(got) << ::testing::PrintToString(c.txt);
    EXPECT_EQ(*got, c.expected) << ::testing::PrintToString(c.txt);
  }
}

TEST(GameRecord, RefusesMalformedAndHostileRecords) {
  const std::string longest(kMaxHostBytes, 'a');
  ASSERT_TRUE(decodeTxt(with("host", "host=" + longest)));
  const Txt refused[] = {
      {},
      with("v", ""),
      with("host", ""),
      with("players", ""),
      with("watchers", ""),
      with("state", ""),
      // Twice, even with the same value.
      [] {
        Txt t = kGood;
        t.push_back("Host=Ann");
        return t;
      }(),
      // Numbers: only plain decimal within range.
      with("players", "players=5"),
      with("players", "players=-1"),
      with("players", "players=+1"),
      with("players", "players=01"),
      with("players", "players= 1"),
      with("players", "players=1 "),
      with("players", "players=0x1"),
      with("players", "players="),
      with("players", "players=99999999999999999999"),
      with("watchers", "watchers=6"),
      with("state", "state=Waiting"),
      with("state", "state=over"),
      with("state", "state="),
      // Host names: empty, blank, too long, not UTF-8, control and direction characters.
      with("host", "host="),
      with("host", "host=   "),
      with("host", "host=" + longest + "a"),
      with("host", "host=J\xFCrgen"),
      with("host", "host=\xC0\xAF"),      // overlong '/'
      with("host", "host=\xED\xA0\x80"),  // a surrogate
      with("host", "host=Ann\xE2\x80"),   // cut short
      with("host", std::string("host=An\0n", 9)),
      with("host", "host=Ann\nBob"),
      with("host", "host=Ann\x7F"),
      with("host", "host=Ann\xC2\x85"),      // NEL
      with("host", "host=\xE2\x80\xAEnnA"),  // right-to-left override
      with("host", "host=A\xE2\x80\x8Bnn"),  // zero-width space
      with("host", "host=Ann\xE2\x80\xA8"),  // line separator
      // Versions: printable ASCII, short.
      with("v", "v="),
      with("v", "v=1.0 .2"),
      with("v", "v=" + std::string(kMaxVersionBytes + 1, '1')),
      with("v", "v=1.0.2\xC3\xA9"),
      // Oversized records.
      [] {
        Txt t = kGood;
        t.push_back("x=" + std::string(kMaxTxtItemBytes, 'x'));
        return t;
      }(),
      [] {
        Txt t = kGood;
        while (t.size() <= kMaxTxtItems) t.push_back("x=1");
        return t;
      }(),
  };
  for (const Txt& txt : refused) EXPECT_FALSE(decodeTxt(txt)) << ::testing::PrintToString(txt);
}

struct NoOutbound : server::Outbound {
  void send(int, const std::string&) override {}
  void closeSeat(int) override {}
  void timer1Changed(bool) override {}
};

TEST(GameRecord, AnnouncesTheServersSeats) {
  NoOutbound out;
  server::ServerCore core(
      out, [](std::string_view) { return true; }, [](int lo, int) { return lo; });
  EXPECT_EQ(announcementOf(core, "Ann", "1.0.2"),
            (GameAnnouncement{"1.0.2", "Ann", 0, 0, GameState::Waiting}));
  for (int seat : {1, 2, 3, 5, 6, 7, 8, 9}) core.players[seat].inuse = true;
  core.players[3].watching = true;  // a player seat that watches counts as a watcher
  core.gameon = true;
  // Seats 3 and 5 to 9 watch: six, shown as the most a record carries.
  EXPECT_EQ(announcementOf(core, "Ann", "1.0.2"),
            (GameAnnouncement{"1.0.2", "Ann", 2, 5, GameState::Running}));
}

TEST(GameRecord, ServiceNameStaysWithinDnsLabel) {
  EXPECT_EQ(serviceNameFor("Ann"), "Korvel game of Ann");
  std::string name;
  for (int i = 0; i < 40; ++i) name += "é";
  const std::string service = serviceNameFor(name);
  EXPECT_LE(service.size(), 63u);
  EXPECT_EQ(service.size() % 2, 1u);  // "Korvel game of " (15) plus whole two-byte characters
}

Txt record(const std::string& host, int players = 1) {
  return encodeTxt({"1.0.2", host, players, 0, GameState::Waiting});
}

TEST(GameList, KeepsOneRowPerServiceFromItsBestSighting) {
  GameList list;
  const ServiceKey v6{2, 1, "Korvel game of Bob", "local"};
  const ServiceKey v4{2, 0, "Korvel game of Bob", "local"};
  const ServiceKey other{3, 0, "Korvel game of Bob", "local"};
  EXPECT_TRUE(list.resolved(v6, "fe80::1%eth0", 7772, record("Bob")));
  ASSERT_EQ(list.games().size(), 1u);
  EXPECT_EQ(list.games()[0].address, "fe80::1%eth0");
  // An IPv4 sighting is preferred, a second interface changes nothing shown.
  EXPECT_TRUE(list.resolved(v4, "192.168.1.20", 7772, record("Bob")));
  EXPECT_FALSE(list.resolved(other, "10.0.0.5", 7772, record("Bob")));
  ASSERT_EQ(list.games().size(), 1u);
  EXPECT_EQ(list.games()[0].address, "192.168.1.20");
  // A TXT update reaches the row; a repeat does not count as a change.
  EXPECT_TRUE(list.resolved(v4, "192.168.1.20", 7772, record("Bob", 3)));
  EXPECT_FALSE(list.resolved(v4, "192.168.1.20", 7772, record("Bob", 3)));
  EXPECT_EQ(list.games()[0].game.players, 3);
  // The best sighting goes: the next best shows.
  EXPECT_TRUE(list.removed(v4));
  EXPECT_EQ(list.games()[0].address, "10.0.0.5");
  // A record turning bad drops that sighting, as do a port of 0 and an empty address.
  EXPECT_TRUE(list.resolved(other, "10.0.0.5", 7772, {"v=1.0.2"}));
  EXPECT_EQ(list.games()[0].address, "fe80::1%eth0");
  EXPECT_TRUE(list.resolved(v6, "fe80::1%eth0", 0, record("Bob")));
  EXPECT_TRUE(list.games().empty());
  EXPECT_FALSE(list.resolved(v6, "", 7772, record("Bob")));
  EXPECT_FALSE(list.removed(v6));
}

TEST(GameList, OrdersByHostAndCapsTheRows) {
  GameList list;
  list.resolved({1, 0, "s1", "local"}, "10.0.0.1", 7772, record("carl"));
  list.resolved({1, 0, "s2", "local"}, "10.0.0.2", 7772, record("Bob"));
  list.resolved({1, 0, "s3", "local"}, "10.0.0.3", 7000, record("ann"));
  list.resolved({1, 0, "s4", "local"}, "10.0.0.4", 7000, record("Bob"));
  std::vector<std::string> order;
  for (const FoundGame& g : list.games()) order.push_back(g.name);
  EXPECT_EQ(order, (std::vector<std::string>{"s3", "s2", "s4", "s1"}));

  for (std::size_t i = 0; i < 2 * GameList::kMaxGames; ++i) {
    list.resolved({1, 0, "flood" + std::to_string(i), "local"}, "10.0.1.1", 7772,
                  record("x" + std::to_string(i)));
  }
  EXPECT_EQ(list.games().size(), GameList::kMaxGames);
  // Known games still update when the list is full; sightings per game are capped too.
  EXPECT_TRUE(list.resolved({1, 0, "s1", "local"}, "10.0.0.1", 7772, record("carl", 4)));
  EXPECT_TRUE(list.clear());
  EXPECT_FALSE(list.clear());
  EXPECT_TRUE(list.games().empty());
  for (std::size_t i = 0; i < GameList::kMaxSightings; ++i)
    list.resolved({int(i), 1, "s", "local"}, "fe80::2", 7772, record("Bob"));
  // One sighting too many is not kept, though it would be shown before the others.
  EXPECT_FALSE(list.resolved({99, 0, "s", "local"}, "10.0.0.2", 7772, record("Bob")));
  EXPECT_EQ(list.games().at(0).address, "fe80::2");
}

// Loopback is accepted from this machine only; no address is ever nobody's or a group's.
TEST(GameList, StateSaysWhenANewcomerCanOnlyWatch) {
  const struct {
    int players;
    GameState state;
    std::string text;
  } cases[] = {
      {0, GameState::Waiting, "Waiting for players"},
      {3, GameState::Waiting, "Waiting for players"},
      {2, GameState::Running, "Playing"},
      {4, GameState::Waiting, "Full: you can watch"},
      {4, GameState::Running, "Full: you can watch"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(gameStateText({"1.0", "Ann", c.players, 0, c.state}), c.text) << c.players;
  }
}

TEST(GameList, AcceptsALoopbackAddressOnlyFromThisMachine) {
  const struct {
    const char* address;
    bool fromThisMachine;
    bool accepted;
  } cases[] = {
      {"192.168.1.20", false, true},
      {"fe80::1%eth0", false, true},
      {"2001:db8::5", false, true},
      {"127.0.0.1", false, false},
      {"127.0.0.1", true, true},
      {"127.255.0.9", false, false},
      {"::1", false, false},
      {"::1", true, true},
      {"::ffff:127.0.0.1", false, false},
      {"::ffff:127.0.0.1", true, true},
      {"::ffff:10.0.0.1", false, true},
      {"0.0.0.0", true, false},
      {"::", true, false},
      {"224.0.0.251", false, false},
      {"255.255.255.255", false, false},
      {"ff02::fb", true, false},
      {"10.0.0.1%eth0", false, false},
      {"fe80::1%", false, false},
      {"localhost", true, false},
      {"", true, false},
      {"1.2.3", false, false},
      {"10.0.0.1 ", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(addressAcceptable(c.address, c.fromThisMachine), c.accepted)
        << c.address << (c.fromThisMachine ? " from this machine" : " from elsewhere");
  }
  // The list applies it: a record from elsewhere pointing here is left out, and drops an
  // earlier good sighting of the same service.
  GameList list;
  const ServiceKey key{2, 0, "Korvel game of Eve", "local"};
  EXPECT_FALSE(list.resolved(key, "127.0.0.1", 7772, record("Eve")));
  EXPECT_FALSE(list.holds(key));
  EXPECT_TRUE(list.resolved(key, "10.0.0.7", 7772, record("Eve")));
  EXPECT_TRUE(list.holds(key));
  EXPECT_TRUE(list.resolved(key, "127.0.0.1", 7772, record("Eve")));
  EXPECT_TRUE(list.games().empty());
  EXPECT_TRUE(list.resolved(key, "127.0.0.1", 7772, record("Eve"), true));
  ASSERT_EQ(list.games().size(), 1u);
  EXPECT_EQ(list.games()[0].address, "127.0.0.1");
}

}  // namespace
}  // namespace korvel::net
