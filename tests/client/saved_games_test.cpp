// Saved games against hostile hosts and concurrent writers: which games are saved and how often,
// the cap on the games folder, two processes saving at once, the largest record a host can make
// still reading back, the reader's limits, and where the game record places each word.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "client/game_analysis.h"
#include "client/game_file.h"
#include "client/game_log.h"
#include "client/game_mirror.h"
#include "client/game_record_text.h"
#include "protocol/message.h"
#include "protocol/receive_queue.h"

namespace {

namespace fs = std::filesystem;
using namespace korvel::client;
namespace toclient = korvel::protocol::toclient;

Outcome feed(GameMirror& m, std::string framed) {
  if (!framed.empty() && framed.back() == korvel::protocol::kTerminator) framed.pop_back();
  return m.handleLine(framed);
}

int code(char c) {
  return c - 'A' + 1;
}

struct TempFolder {
  fs::path path;
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "korvel-saved-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp");
    path = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
};

std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<fs::path> filesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(folder)) files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

GameRecord smallGame(std::int64_t started, const std::string& winner) {
  GameRecord g;
  g.started = started;
  g.ended = started + 60;
  g.turnSeconds = 60;
  g.localSeat = 1;
  g.players = {{1, "Ann"}, {2, "Bob"}};
  TurnRecord t;
  t.seat = 1;
  t.player = "Ann";
  t.kind = TurnKind::Word;
  t.tiles = {{5, 5, 1, code('A')}, {6, 5, 2, code('T')}};
  t.words = {"AT"};
  t.score = 2;
  t.totals = {2, 0, 0, 0};
  g.turns.push_back(t);
  g.finalScores = {2, 0, 0, 0};
  g.winner = winner;
  g.finished = true;
  return g;
}

// A game of `turns` turns, played (the user in seat 1 made a move the host accepted) or watched
// from a spectator seat.
GameRecord sizedGame(bool played, int turns) {
  GameRecord g = smallGame(1'800'000'000, "Ann");
  g.played = played;
  g.localSeat = played ? 1 : 6;
  g.turns.resize(static_cast<std::size_t>(turns), g.turns[0]);
  return g;
}

// Writes the record under the name saveGame would give the index-th game of a day (without
// saveGame's flush to the disk, which would make a run of hundreds of games take seconds).
fs::path writeGame(const fs::path& folder, int index, const GameRecord& g) {
  char name[40];
  std::snprintf(name, sizeof name, "2030-01-01_%02d-%02d-%02d.json", index / 3600, index / 60 % 60,
                index % 60);
  std::ofstream(folder / name, std::ios::binary) << gameToJson(g);
  return folder / name;
}

}  // namespace

// A host that starts and ends games in a loop: only games with a turn played are saved, and at
// most one in kSaveIntervalMs, whatever the host sends.
TEST(SavedGames, AHostThatFloodsStartsAndEndsLeavesAtMostOneGameInTenSeconds) {
  enum Turn { None, Pass, Watch, Word };
  const struct {
    const char* what;
    Turn turn;
    int games;
    std::int64_t everyMs;
    int saved;
  } cases[] = {
      {"500 start and winner pairs in 10 s", None, 500, 20, 0},
      {"500 games where a player only sat out", Watch, 500, 20, 0},
      {"500 games of one pass in 10 s", Pass, 500, 20, 1},
      {"500 games of one word in 10 s", Word, 500, 20, 1},
      {"1,000 games of one pass in 20 s", Pass, 1000, 20, 2},
      {"games ten seconds apart", Pass, 5, 10'000, 5},
      {"games nine seconds apart", Word, 6, 9'000, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder folder;
    GameMirror m;
    m.myplayer = 2;
    m.connected = true;
    std::int64_t clock = 5'000'000;
    m.history.steadyMs = [&clock] { return clock; };
    feed(m, toclient::existingplayers({{1, "Host", false}, {2, "Me", false}}));
    int saved = 0;
    for (int g = 0; g < c.games; ++g) {
      m.history.now = [g] { return std::int64_t{1'800'000'000} + g / 50; };
      feed(m, toclient::startgame("Host", "30", 60, "1"));
      if (c.turn == Pass) feed(m, toclient::hepassed(1));
      if (c.turn == Watch) feed(m, toclient::justwatching(1, 1));
      if (c.turn == Word) feed(m, toclient::goodword(1, 2, 2, {{5, 5, 1, code('A')}}, {"a"}));
      const Outcome end = feed(m, toclient::winner("Host"));
      EXPECT_TRUE(end.gameEnded);  // the summary shows every time
      if (end.saveGame) {
        ASSERT_TRUE(saveGame(folder.path, m.history.record));
        ++saved;
      }
      clock += c.everyMs;
    }
    EXPECT_EQ(saved, c.saved);
    EXPECT_EQ(filesIn(folder.path).size(), static_cast<std::size_t>(c.saved));
  }
}

// The newest kept games stay; the oldest beyond them go, but never a damaged file, a file named
// otherwise, a link, or what a link points to.
TEST(SavedGames, TheFolderKeepsTheNewestGamesAndLeavesEverythingElse) {
  TempFolder folder;
  TempFolder elsewhere;
  std::vector<fs::path> saved;
  // Twelve games of the same start second ("-2" ... "-12"), then three an hour apart.
  for (int i = 0; i < 12; ++i)
    saved.push_back(*saveGame(folder.path, smallGame(1'800'000'000, "A")));
  for (int i = 1; i <= 3; ++i)
    saved.push_back(*saveGame(folder.path, smallGame(1'800'000'000 + 3600 * i, "B")));
  EXPECT_EQ(saved[9].filename().string().substr(19), "-10.json");

  const std::map<std::string, std::string> others = {
      {"1999-01-01_00-00-00.json", "{\"format\": \"korvel-game\""},  // damaged, named as a game
      {"notes.json", readAll(saved[0])},                             // a game under another name
      {"1999-01-01_00-00-00-01.json", readAll(saved[0])},            // not a name saveGame makes
      {"readme.txt", "mine"},
  };
  for (const auto& [name, bytes] : others) std::ofstream(folder.path / name) << bytes;
  const fs::path outside = elsewhere.path / "1998-01-01_00-00-00.json";
  std::ofstream(outside) << readAll(saved[0]);
  fs::create_symlink(outside, folder.path / "1998-01-01_00-00-00.json");

  // Up to the number kept, nothing is read or removed.
  EXPECT_EQ(pruneGames(folder.path, 15).removed, 0u);
  EXPECT_EQ(pruneGames(folder.path, 5).removed, 10u);
  // The three later games and the last two of the busy second stay.
  for (std::size_t i = 0; i < saved.size(); ++i)
    EXPECT_EQ(fs::exists(saved[i]), i >= 10) << saved[i];
  for (const auto& [name, bytes] : others) EXPECT_EQ(readAll(folder.path / name), bytes) << name;
  EXPECT_TRUE(fs::is_symlink(folder.path / "1998-01-01_00-00-00.json"));
  EXPECT_TRUE(fs::exists(outside));
  EXPECT_EQ(pruneGames(folder.path, 5).removed, 0u);

  // The list puts the busy second's later games first too.
  const auto games = listGames(folder.path);
  ASSERT_GE(games.size(), 5u);
  EXPECT_EQ(games[3].file, saved[11]);
  EXPECT_EQ(games[4].file, saved[10]);

  // Past a number of bytes the oldest go too, however few the games; the newest always stays.
  const auto size = fs::file_size(saved[14]);
  EXPECT_EQ(pruneGames(folder.path, 1000, 3 * size + size / 2).removed, 2u);
  for (std::size_t i = 10; i < saved.size(); ++i) EXPECT_EQ(fs::exists(saved[i]), i >= 12);
  EXPECT_EQ(pruneGames(folder.path, 1000, 1).removed, 2u);
  EXPECT_TRUE(fs::exists(saved[14]));
  for (const auto& [name, bytes] : others) EXPECT_EQ(readAll(folder.path / name), bytes) << name;
}

// A hostile host's run of large watched games among the user's 100 played ones, pruned as they
// come (every fifth game here, to keep the run short): every played game stays, the watched
// games left are the newest that fit the room the played ones leave, and when the played games
// alone take more than is kept they all stay and the result (and Past Games' line) says so.
TEST(SavedGames, WatchedGamesNeverPushOutPlayedOnes) {
  const std::uintmax_t watchedBytes = gameToJson(sizedGame(false, 60)).size();
  const std::string played(100, 'P'), watched(200, 'W');
  std::string mixed;
  for (int i = 0; i < 100; ++i) mixed += "WWP";
  const struct {
    std::string order;  // 'P' played, 'W' watched, oldest first
    int playedTurns;
    std::size_t keep;
    std::uintmax_t maxBytes;
    bool overSize, overCount;
  } cases[] = {
      {played + watched, 1, 1000, 1u << 20, false, false},
      {mixed, 1, 1000, 1u << 20, false, false},
      {watched + played, 1, 1000, 1u << 20, false, false},
      {played + watched, 1, 150, 1u << 30, false, false},
      {played + watched, 20, 1000, 256u << 10, true, false},
      {watched + played, 1, 50, 1u << 30, false, true},
  };
  for (std::size_t k = 0; k < std::size(cases); ++k) {
    const auto& c = cases[k];
    SCOPED_TRACE(k);
    TempFolder folder;
    std::vector<fs::path> files;
    PruneResult last;
    for (std::size_t i = 0; i < c.order.size(); ++i) {
      const bool p = c.order[i] == 'P';
      files.push_back(
          writeGame(folder.path, static_cast<int>(i), sizedGame(p, p ? c.playedTurns : 60)));
      if (i % 5 == 4 || i + 1 == c.order.size()) last = pruneGames(folder.path, c.keep, c.maxBytes);
    }
    std::size_t watchedLeft = 0;
    std::uintmax_t bytes = 0;
    bool olderGone = false;
    for (std::size_t i = files.size(); i-- > 0;) {
      const bool there = fs::exists(files[i]);
      if (c.order[i] == 'P') {
        EXPECT_TRUE(there) << i;
      } else {
        EXPECT_FALSE(there && olderGone) << i;  // the watched games left are the newest
        olderGone = olderGone || !there;
        watchedLeft += there;
      }
      if (there) bytes += fs::file_size(files[i]);
    }
    EXPECT_EQ(last.left.games, 100 + watchedLeft);
    EXPECT_EQ(last.left.bytes, bytes);
    EXPECT_EQ(last.overSize, c.overSize);
    EXPECT_EQ(last.overCount, c.overCount);
    EXPECT_EQ(overKeptNote(gamesFolderUse(folder.path), c.keep, c.maxBytes).empty(),
              !c.overSize && !c.overCount);
    if (c.overSize || c.overCount) {
      EXPECT_EQ(watchedLeft, c.order.back() == 'W' ? 1u : 0u);  // the newest file stays
    } else if (c.keep < 1000) {
      EXPECT_EQ(100 + watchedLeft, c.keep);
    } else {  // as full as watched games allow
      EXPECT_LE(bytes, c.maxBytes);
      EXPECT_GT(bytes + watchedBytes, c.maxBytes);
    }
  }
}

// The line under Past Games' list: the folder's use rounded up and its limit down, so the one
// never reads as the other; nothing while the folder is within both bounds.
TEST(SavedGames, PastGamesSaysWhenThePlayedGamesTakeMoreThanIsKept) {
  const std::string never = " kept; games you played are never removed.";
  EXPECT_EQ(overKeptNote({1000, kKeptGameBytes}), "");
  EXPECT_EQ(overKeptNote({3, kKeptGameBytes + 1}),
            "The saved games take 129 MiB, more than the 128 MiB" + never);
  EXPECT_EQ(overKeptNote({1234567, 1}),
            "There are 1,234,567 saved games, more than the 1,000" + never);
  EXPECT_EQ(overKeptNote({5, 2000}, 10, 1500),
            "The saved games take 2 KiB, more than the 1 KiB" + never);
}

// A file from before games recorded whether the user played counts as played when the user held
// a player seat, and as watched from a spectator seat; the program's own files tell by their
// first lines, which pruning reads alone.
TEST(SavedGames, AnOlderFileCountsAsPlayedFromAPlayerSeat) {
  const auto older = [](int localSeat) {
    GameRecord g = sizedGame(true, 30);
    g.localSeat = localSeat;
    std::string json = gameToJson(g);
    return json.erase(json.find("\"played\": true,\n"), 16);
  };
  for (int seat : {0, 1, 4, 5, 9}) {
    EXPECT_EQ(gameFromJson(older(seat)).value().played, seat >= 1 && seat <= 4) << seat;
    EXPECT_EQ(playedFromFileStart(older(seat)), std::nullopt);
  }
  EXPECT_EQ(playedFromFileStart(gameToJson(sizedGame(true, 1))), true);
  EXPECT_EQ(playedFromFileStart(gameToJson(sizedGame(false, 1))), false);

  // Two games kept: the newest and the older one from a player seat; every other watched goes.
  TempFolder folder;
  std::ofstream(folder.path / "2029-01-01_00-00-00.json", std::ios::binary) << older(2);
  std::ofstream(folder.path / "2029-01-01_00-00-01.json", std::ios::binary) << older(7);
  for (int i = 0; i < 3; ++i) writeGame(folder.path, i, sizedGame(false, 1));
  EXPECT_EQ(pruneGames(folder.path, 2).removed, 3u);
  EXPECT_TRUE(fs::exists(folder.path / "2029-01-01_00-00-00.json"));
  EXPECT_TRUE(pruneGames(folder.path, 1).overCount);
}

// Only a move the user sent and the host then accepted makes a game played: a host can claim
// any turn for the user's seat, and a move it refused or never answered does not count.
TEST(SavedGames, AGameIsPlayedOnlyWhenTheHostAcceptsAMoveTheUserSent) {
  const std::string pass = "pass", buy = "buy", claimed = toclient::hepassed(2);
  const struct {
    std::vector<std::string> steps;  // "pass" and "buy" click; anything else comes from the host
    bool played;
  } cases[] = {
      {{toclient::goodword(2, 2, 2, {{5, 5, 1, code('A')}}, {"a"})}, false},
      {{pass, toclient::hepassed(1)}, false},
      {{pass, claimed}, true},
      {{buy, toclient::newtiles(2, 0, {{1, 9}})}, true},
      {{buy, toclient::notiles(2), claimed}, false},
      {{pass, toclient::playerror(2, 4), claimed}, false},
      {{pass, toclient::timeup(), claimed}, false},
      {{pass, toclient::winner("Host"), toclient::startgame("Host", "30", 60, "1"), claimed},
       false},
  };
  for (std::size_t k = 0; k < std::size(cases); ++k) {
    SCOPED_TRACE(k);
    GameMirror m;
    m.myplayer = 2;
    m.connected = true;
    feed(m, toclient::existingplayers({{1, "Host", false}, {2, "Me", false}}));
    feed(m, toclient::startgame("Host", "30", 60, "1"));
    feed(m, toclient::nextplayer(2, 0));
    for (const auto& step : cases[k].steps) {
      if (step == pass || step == buy)
        EXPECT_FALSE((step == pass ? m.passClick() : m.newtilesClick()).send.empty());
      else
        feed(m, step);
    }
    feed(m, toclient::winner("Host"));
    EXPECT_EQ(gameFromJson(gameToJson(m.history.record))->played, cases[k].played);
  }
}

// Two processes save 300 games each, all with the same start second, at the same time (one
// renaming without replacing, the other linking): every game is there, each where its writer was
// told it is, and every file reads back.
TEST(SavedGames, TwoProcessesSavingAtOnceLoseNoGame) {
  TempFolder folder;
  TempFolder results;
  constexpr int kGames = 300;
  int go[2];
  ASSERT_EQ(pipe(go), 0);
  pid_t children[2];
  for (int k = 0; k < 2; ++k) {
    children[k] = fork();
    ASSERT_GE(children[k], 0);
    if (children[k] == 0) {
      close(go[1]);
      char byte;
      (void)!read(go[0], &byte, 1);  // both start when the parent closes the pipe
      std::ostringstream out;
      for (int i = 0; i < kGames; ++i) {
        const std::string id = std::string(1, "PQ"[k]) + std::to_string(i);
        const auto file = saveGame(folder.path, smallGame(1'800'000'000, id),
                                   k == 0 ? NoReplace::Rename : NoReplace::Link);
        out << id << ' ' << (file ? file->string() : "-") << '\n';
      }
      std::ofstream(results.path / std::to_string(k)) << out.str();
      _exit(0);
    }
  }
  close(go[0]);
  close(go[1]);
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  std::set<std::string> reported;
  for (int k = 0; k < 2; ++k) {
    std::istringstream in(readAll(results.path / std::to_string(k)));
    std::string id, file;
    int lines = 0;
    while (in >> id >> file) {
      ++lines;
      ASSERT_NE(file, "-") << id;
      const auto game = loadGame(file);
      ASSERT_TRUE(game) << file;
      EXPECT_EQ(game->winner, id) << "told saved as " << file;
      reported.insert(file);
    }
    EXPECT_EQ(lines, kGames);
  }
  EXPECT_EQ(reported.size(), 2u * kGames);
  const auto games = listGames(folder.path);
  EXPECT_EQ(games.size(), 2u * kGames);
  std::set<std::string> winners;
  for (const auto& g : games) {
    EXPECT_FALSE(g.damaged) << g.file;
    winners.insert(g.winner);
  }
  EXPECT_EQ(winners.size(), 2u * kGames);
  // No temporary file is left behind.
  EXPECT_EQ(filesIn(folder.path).size(), 2u * kGames);
}

// The largest record a host can make (every turn a game keeps, the most tiles and words, names
// and words at the longest a message carries, every byte a control character or one the file
// escapes) is written smaller than the reader's limit and reads back as it was.
TEST(SavedGames, TheLargestGameAHostCanSendReadsBack) {
  std::string hostile;
  for (std::size_t i = 0; i < korvel::protocol::ReceiveQueue::kMaxEntry; ++i)
    hostile += "\x01\x1f\"\\\n\xC3\xA9"[i % 7];
  GameLog log;
  log.computerLevel = [] { return std::string("Strong"); };
  log.begin(9, 120, false);
  for (int x = 0; x < 11; ++x)
    for (int y = 0; y < 11; ++y)
      for (int pass = 0; pass < 3; ++pass) log.startCell(x, y, 1 + (x + y + pass) % 26);
  for (int seat = 1; seat <= 4; ++seat) log.seat(seat, hostile);
  TurnRecord turn;
  turn.kind = TurnKind::Word;
  turn.player = hostile;
  turn.score = std::numeric_limits<int>::min();
  for (int i = 0; i < 121; ++i) turn.tiles.push_back({i % 11, i / 11, -2'000'000'000, 26});
  for (int i = 0; i < 100; ++i) turn.words.push_back(hostile);
  turn.rack = {1, 2, 3, 4, 5, 6, 7, 26};
  for (int seat = 1; seat <= 4; ++seat) log.setTotal(seat, std::numeric_limits<int>::min());
  for (std::size_t i = 0; i < kMaxTurns + 10; ++i) {
    turn.seat = 1 + static_cast<int>(i % 4);
    log.add(turn);
  }
  log.finish(hostile + hostile + hostile + hostile + hostile);
  GameRecord g = log.record;
  ASSERT_EQ(g.turns.size(), kGameTurns);
  EXPECT_EQ(g.startBoard.size(), 121u);  // a cell announced again replaces its letter
  EXPECT_EQ(g.turns[0].tiles.size(), kMaxTurnTiles);
  EXPECT_LE(jsonTextBytes(g.players[0].name), kMaxNameBytes);
  EXPECT_GT(jsonTextBytes(g.players[0].name), kMaxNameBytes - 6);
  std::size_t wordBytes = 0;
  for (const auto& w : g.turns[0].words) wordBytes += jsonTextBytes(w);
  EXPECT_LE(wordBytes, kMaxTurnWordBytes);
  EXPECT_LE(jsonTextBytes(g.winner), kMaxWinnerBytes);

  TempFolder folder;
  // Only watched, it is larger than any real game and not saved; played, it is.
  EXPECT_TRUE(watchedGameTooLarge(g));
  EXPECT_FALSE(saveGame(folder.path, g));
  g.played = true;
  EXPECT_FALSE(watchedGameTooLarge(g));
  const auto file = saveGame(folder.path, g);
  ASSERT_TRUE(file);
  const auto size = fs::file_size(*file);
  RecordProperty("bytes", static_cast<int>(size));
  EXPECT_LE(size, kMaxWrittenGameBytes);
  EXPECT_LE(size, kMaxGameFileBytes);
  const auto back = loadGame(*file);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, g);
  EXPECT_EQ(back->computerLevel, "Strong");
  ASSERT_EQ(listGames(folder.path).size(), 1u);
  EXPECT_FALSE(listGames(folder.path)[0].damaged);

  // A record that would not read back is never written, and leaves nothing behind.
  GameRecord bad = smallGame(1'800'000'000, "A");
  bad.localSeat = 12;
  EXPECT_FALSE(saveGame(folder.path, bad));
  bad = smallGame(1'800'000'000, std::string(kMaxGameFileBytes, 'x'));
  EXPECT_FALSE(saveGame(folder.path, bad));
  EXPECT_EQ(filesIn(folder.path).size(), 1u);
}

// The largest game real players make (every turn a game keeps, each laying eight tiles and
// forming nine words of eleven letters, numbers at their widest, names of a hundred four-byte
// characters) is saved when only watched, and the bound is no more than a third above it.
TEST(SavedGames, TheLargestRealGameIsSavedWhenWatched) {
  std::string name;
  for (int i = 0; i < 100; ++i) name += "\xF0\x9F\x98\x80";
  constexpr int kLeast = std::numeric_limits<int>::min();
  GameLog log;
  log.begin(6, 120, false);
  for (int cell = 0; cell < 121; ++cell) log.startCell(cell % 11, cell / 11, 1 + cell % 26);
  for (int seat = 1; seat <= 4; ++seat) {
    log.seat(seat, name);
    log.setTotal(seat, kLeast);
  }
  TurnRecord turn{
      0,      name, TurnKind::Word,           {}, std::vector<std::string>(9, "QQQQQQQQQQQ"),
      kLeast, {},   {1, 2, 3, 4, 5, 6, 7, 26}};
  for (int i = 0; i < 8; ++i) turn.tiles.push_back({i, 10, kLeast, 26});
  for (std::size_t i = 0; i < kGameTurns; ++i) {
    turn.seat = 1 + static_cast<int>(i % 4);
    log.add(turn);
  }
  log.finish(name + " and " + name + " and " + name + " and " + name);
  TempFolder folder;
  const auto file = saveGame(folder.path, log.record);
  ASSERT_TRUE(file);
  const auto size = fs::file_size(*file);
  RecordProperty("bytes", static_cast<int>(size));
  EXPECT_LE(size, kMaxWatchedGameBytes);
  EXPECT_GT(size * 4, kMaxWatchedGameBytes * 3);
}

// Files that are no game of ours are refused without building what they describe: nesting past
// what the format needs, more values than a game holds, levels the program has no name for.
TEST(SavedGames, TheReaderRefusesDeepOrHugeFilesAndReadsTheLevelWhenThere) {
  const std::string json = gameToJson(smallGame(1'800'000'000, "Ann"));
  const auto with = [&](const std::string& from, const std::string& to) {
    std::string s = json;
    const auto at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) s.replace(at, from.size(), to);
    return s;
  };
  std::string manyTurns;
  for (std::size_t i = 0; i < kMaxTurns + 1; ++i) manyTurns += i ? ",{}" : "{}";
  std::string manyTiles = "{\"x\":5,\"y\":5,\"slot\":1,\"letter\":\"A\"}";
  for (std::size_t i = 0; i < kMaxTurnTiles; ++i)
    manyTiles += ",{\"x\":5,\"y\":5,\"slot\":1,\"letter\":\"A\"}";
  // A key the reader does not know is let be, within the limits.
  const auto extra = [&](const std::string& value) {
    return with("\"finalScores\"", "\"notes\": " + value + ",\n\"finalScores\"");
  };
  std::string zeros = "0";
  for (int i = 0; i < 1'000'000; ++i) zeros += ",0";
  // The list checks a turn only to be well-formed (`head`), opening the game checks it all.
  const struct {
    const char* what;
    std::string text;
    bool reads;
    bool headReads;
  } cases[] = {
      {"as written", json, true, true},
      {"16 MiB of [", std::string(kMaxGameFileBytes, '['), false, false},
      {"an unknown key, four levels deep", extra("[[[[1]]]]"), true, true},
      {"an unknown key, five levels deep", extra("[[[[[1]]]]]"), false, false},
      {"an unknown key with a thousand values", extra("[" + zeros.substr(0, 1999) + "]"), true,
       true},
      {"an unknown key with a million values", extra("[" + zeros + "]"), false, false},
      {"more turns than a game keeps", with("\"turns\": [", "\"turns\": [" + manyTurns + ","),
       false, false},
      {"more tiles than a rack", with("{\"x\":5,\"y\":5,\"slot\":1,\"letter\":\"A\"}", manyTiles),
       false, true},
      {"a computer level", with("\"finalScores\"", "\"computerLevel\": \"Easy\",\n\"finalScores\""),
       true, true},
      {"a level in other letters",
       with("\"finalScores\"", "\"computerLevel\": \"easy\",\n\"finalScores\""), false, false},
      {"an unknown level", with("\"finalScores\"", "\"computerLevel\": \"Hard\",\n\"finalScores\""),
       false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(gameFromJson(c.text).has_value(), c.reads);
    EXPECT_EQ(gameHeadFromJson(c.text).has_value(), c.headReads);
  }
  EXPECT_EQ(gameFromJson(json)->computerLevel, "");  // an older file: not known
  GameRecord easy = smallGame(1'800'000'000, "Ann");
  easy.computerLevel = "Easy";
  EXPECT_EQ(gameHeadFromJson(gameToJson(easy))->computerLevel, "Easy");
  EXPECT_EQ(*gameFromJson(gameToJson(easy)), easy);
}

// The record gives where each word starts and which way it runs, also when the word begins with
// letters already on the board, and for a lone tile the way the host reads it.
TEST(SavedGames, TheRecordPlacesEachWordAtItsStart) {
  struct Case {
    const char* what;
    std::vector<CellRecord> board;
    std::vector<LaidRecord> tiles;
    const char* position;
  } cases[] = {
      {"two tiles across", {}, {{4, 5, 1, 1}, {5, 5, 2, 1}}, "E6 across"},
      {"tiles down, given bottom first", {}, {{5, 7, 1, 1}, {5, 6, 2, 1}}, "F7 down"},
      {"after two letters on the board",
       {{4, 5, 1}, {5, 5, 1}},
       {{6, 5, 1, 1}, {7, 5, 2, 1}},
       "E6 across"},
      {"around a letter on the board", {{5, 5, 1}}, {{5, 4, 1, 1}, {5, 6, 2, 1}}, "F5 down"},
      {"a lone tile ending a row", {{4, 5, 1}, {5, 5, 1}}, {{6, 5, 1, 1}}, "E6 across"},
      {"a lone tile under a column", {{5, 3, 1}, {5, 4, 1}}, {{5, 5, 1, 1}}, "F4 down"},
      {"a lone tile with letters both ways: down",
       {{4, 5, 1}, {5, 4, 1}},
       {{5, 5, 1, 1}},
       "F5 down"},
      {"a tile laid on a letter", {{3, 2, 1}, {4, 2, 1}}, {{4, 2, 1, 2}}, "D3 across"},
      {"tiles in no line", {}, {{2, 2, 1, 1}, {3, 4, 2, 1}}, "C3"},
      {"nothing laid", {}, {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    GameRecord g;
    g.startBoard = c.board;
    TurnRecord t;
    t.seat = 1;
    t.kind = c.tiles.empty() ? TurnKind::Pass : TurnKind::Word;
    t.tiles = c.tiles;
    g.turns.push_back(t);
    EXPECT_EQ(turnPosition(replayBoards(g)[1], g.turns[0]), c.position);
  }
}
