// The game record the mirror keeps, the words of a refused move, the saved-game file, the
// summary, the plain-text record and the analysis of a finished game.

#include "client/game_log.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bot/lexicon.h"
#include "client/formed_words.h"
#include "client/game_analysis.h"
#include "client/game_file.h"
#include "client/game_mirror.h"
#include "client/game_record_text.h"
#include "client/game_summary.h"
#include "protocol/message.h"

namespace {

namespace fs = std::filesystem;
using namespace korvel::client;
namespace toclient = korvel::protocol::toclient;
using Strings = std::vector<std::string>;

Outcome feed(GameMirror& m, std::string framed) {
  if (!framed.empty() && framed.back() == korvel::protocol::kTerminator) framed.pop_back();
  return m.handleLine(framed);
}

int code(char c) {
  return c - 'A' + 1;
}

// Ann (seat 1, this client), Bob (2) and Cy (3); Ann holds Q A T S E I R N.
GameMirror threePlayers() {
  GameMirror m;
  m.myplayer = 1;
  m.connected = true;
  m.history.now = [] { return std::int64_t{1'800'000'000}; };
  feed(m, toclient::existingplayers({{1, "Ann", false}, {2, "Bob", false}, {3, "Cy", false}}));
  feed(m, toclient::startgame("Ann", "30", 60, "1"));
  std::vector<korvel::protocol::SlotEntry> rack;
  for (int k = 0; k < 8; ++k) rack.push_back({k + 1, code("QATSEIRN"[k])});
  feed(m, toclient::mytiles(1, rack));
  return m;
}

TEST(GameLog, RecordsEveryTurnAsItCameOverTheWire) {
  GameMirror m = threePlayers();
  // Ann lays QAT over the star with her own tiles, as the window would.
  feed(m, toclient::nextplayer(1, 24));
  feed(m,
       toclient::goodword(
           1, 12, 12, {{4, 5, 1, code('Q')}, {5, 5, 2, code('A')}, {6, 5, 3, code('T')}}, {"qat"}));
  feed(m, toclient::mytiles(1, {{1, 5}, {2, 6}, {3, 7}}));
  feed(m, toclient::nextplayer(2, 27));
  // Bob covers the A with an O: the cell now holds a stacked letter.
  feed(m, toclient::goodword(2, 5, 5, {{5, 4, 1, code('B')}, {5, 5, 2, code('O')}}, {"bo", "qot"}));
  feed(m, toclient::nextplayer(3, 29));
  feed(m, toclient::hepassed(3));
  feed(m, toclient::nextplayer(1, 29));
  feed(m, toclient::timeup());
  feed(m, toclient::nextplayer(2, 29));
  feed(m, toclient::boughtnew(2, -25));
  feed(m, toclient::nextplayer(3, 29));
  feed(m, toclient::justwatching(3, 1));
  feed(m, toclient::nextplayer(1, 29));
  feed(m, toclient::newtiles(1, -18, {{1, code('Z')}}));

  // The last move's cells are marked until the next accepted move; covered cells for good.
  EXPECT_TRUE(m.board[5][4].lastMove && m.board[5][5].lastMove);
  EXPECT_FALSE(m.board[4][5].lastMove);
  EXPECT_TRUE(m.board[5][5].stacked);
  EXPECT_FALSE(m.board[5][4].stacked || m.board[4][5].stacked);

  m.history.now = [] { return std::int64_t{1'800'000'600}; };
  const Outcome end = feed(m, toclient::winner("Ann"));
  EXPECT_TRUE(end.gameEnded);
  EXPECT_FALSE(m.board[5][5].lastMove);  // the end clears the last-move mark
  EXPECT_TRUE(m.board[5][5].stacked);

  const GameRecord& g = m.history.record;
  struct Row {
    int seat;
    const char* player;
    TurnKind kind;
    Strings words;
    int score;
    std::array<int, 4> totals;
    const char* rack;  // "" when not an own turn
    const char* described;
  } rows[] = {
      {1, "Ann", TurnKind::Word, {"QAT"}, 12, {12, 0, 0, 0}, "QATSEIRN", "QAT 12"},
      {2, "Bob", TurnKind::Word, {"BO", "QOT"}, 5, {12, 5, 0, 0}, "", "BO, QOT 5"},
      {3, "Cy", TurnKind::Pass, {}, 0, {12, 5, 0, 0}, "", "passed"},
      {1, "Ann", TurnKind::TimeUp, {}, 0, {12, 5, 0, 0}, "EFGSEIRN", "ran out of time"},
      {2, "Bob", TurnKind::Bought, {}, 30, {12, -25, 0, 0}, "", "bought new tiles for 30"},
      {3, "Cy", TurnKind::Watching, {}, 0, {12, -25, 0, 0}, "", "started watching"},
      {1, "Ann", TurnKind::Bought, {}, 30, {-18, -25, 0, 0}, "EFGSEIRN", "bought new tiles for 30"},
  };
  ASSERT_EQ(g.turns.size(), std::size(rows));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    SCOPED_TRACE(i);
    const TurnRecord& t = g.turns[i];
    EXPECT_EQ(t.seat, rows[i].seat);
    EXPECT_EQ(t.player, rows[i].player);
    EXPECT_EQ(t.kind, rows[i].kind);
    EXPECT_EQ(t.words, rows[i].words);
    EXPECT_EQ(t.score, rows[i].score);
    EXPECT_EQ(t.totals, rows[i].totals);
    std::string rack;
    for (int c : t.rack) rack += c >= 1 ? static_cast<char>('A' + c - 1) : '.';
    EXPECT_EQ(rack, rows[i].rack);
    EXPECT_EQ(describeTurn(t), rows[i].described);
  }
  EXPECT_EQ(
      g.turns[0].tiles,
      (std::vector<LaidRecord>{{4, 5, 1, code('Q')}, {5, 5, 2, code('A')}, {6, 5, 3, code('T')}}));
  EXPECT_EQ(g.players, (std::vector<SeatRecord>{{1, "Ann"}, {2, "Bob"}, {3, "Cy"}}));
  EXPECT_EQ(g.finalScores, (std::array<int, 4>{-18, -25, 0, 0}));
  EXPECT_EQ(g.winner, "Ann");
  EXPECT_EQ(g.turnSeconds, 60);
  EXPECT_EQ(g.ended - g.started, 600);
  EXPECT_TRUE(g.fromStart && g.finished);

  // A new game starts a new record and clears the marks.
  feed(m, toclient::startgame("Ann", "30", 90, "1"));
  EXPECT_TRUE(m.history.record.turns.empty());
  EXPECT_FALSE(m.board[5][5].stacked);
}

TEST(GameLog, AClientThatJoinsARunningGameRecordsFromWhatItFound) {
  GameMirror m;
  m.myplayer = 6;
  feed(m, toclient::existingplayers({{1, "Ann", false}, {2, "Bob", false}}));
  feed(m, toclient::loadboard(6, {{5, 5, code('A')}, {5, 6, code('T')}}));
  feed(m, toclient::gamestats(6, 60, 30, 2, 20, {4, 2, 0, 0}, {}));
  feed(m, toclient::hepassed(2));
  feed(m, toclient::winner("Ann"));
  const GameRecord& g = m.history.record;
  EXPECT_FALSE(g.fromStart);
  EXPECT_EQ(g.startBoard, (std::vector<CellRecord>{{5, 5, code('A')}, {5, 6, code('T')}}));
  ASSERT_EQ(g.turns.size(), 1u);
  EXPECT_EQ(g.turns[0].totals, (std::array<int, 4>{4, 2, 0, 0}));
  EXPECT_TRUE(g.turns[0].rack.empty());  // a spectator has no rack
  EXPECT_EQ(g.finalScores, (std::array<int, 4>{4, 2, 0, 0}));
}

const korvel::bot::Lexicon& smallList() {
  static const auto lexicon = korvel::bot::Lexicon::fromWords(
      {"qat",   "qats", "at",    "ta",   "tas",   "sat",   "eat",  "eats",
       "tea",   "teas", "seat",  "tie",  "ties",  "rat",   "rats", "star",
       "stare", "tear", "tears", "rate", "rates", "irate", "in"});
  return lexicon;
}

bool known(std::string_view w) {
  return smallList().contains(w);
}

TEST(FormedWords, NamesExactlyTheWordsTheListLacks) {
  using korvel::bot::BoardLetters;
  using korvel::bot::Tile;
  // QAT across row 5 from column 4.
  BoardLetters qat{};
  qat[4][5] = code('Q');
  qat[5][5] = code('A');
  qat[6][5] = code('T');
  auto tiles = [](std::string letters, int x, int y, bool down) {
    std::vector<Tile> out;
    for (char c : letters) {
      out.push_back({x, y, 0, code(c)});
      (down ? y : x) += 1;
    }
    return out;
  };
  struct Case {
    const char* what;
    BoardLetters board;
    std::vector<Tile> tiles;
    bool first;
    Strings formed;
    std::string line;
  } cases[] = {
      {"a known first word", {}, tiles("QAT", 4, 5, false), true, {"QAT"}, ""},
      {"an unknown first word",
       {},
       tiles("ZEEX", 3, 5, false),
       true,
       {"ZEEX"},
       "0+Not in the word list:ZEEX"},
      {"main word and a cross word both unknown",
       qat,
       tiles("ZX", 4, 6, false),
       false,
       {"ZX", "QZ", "AX"},
       "0+Not in the word list:ZX, QZ, AX"},
      {"a known main word with unknown cross words",
       qat,
       tiles("AT", 5, 6, false),
       false,
       {"AT", "AA", "TT"},
       "0+Not in the word list:AA, TT"},
      {"a main word through a board letter", qat, tiles("EA", 6, 6, true), false, {"TEA"}, ""},
      {"covering a letter: the covered letter is gone",
       qat,
       tiles("I", 5, 5, false),
       false,
       {"QIT"},
       "0+Not in the word list:QIT"},
      {"a known extension", qat, tiles("S", 7, 5, false), false, {"QATS"}, ""},
      {"not a move at all: no words", qat, tiles("AB", 0, 0, true), false, {}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto formed = formedWords(c.board, c.tiles, c.first, known);
    Strings words;
    for (const auto& f : formed) words.push_back(f.word);
    EXPECT_EQ(words, c.formed);
    EXPECT_EQ(missingWordsLine(missingWords(formed)), c.line);
  }
}

TEST(FormedWords, InvalidWordRefusalAddsTheChatLineToTheMoversClientOnly) {
  GameMirror m = threePlayers();
  m.isWord = known;
  feed(m, toclient::nextplayer(1, 24));
  feed(m,
       toclient::goodword(
           1, 12, 12, {{4, 5, 1, code('Q')}, {5, 5, 2, code('A')}, {6, 5, 3, code('T')}}, {"qat"}));
  feed(m, toclient::mytiles(1, {{1, code('Z')}, {2, code('X')}, {3, code('E')}}));
  feed(m, toclient::nextplayer(1, 27));
  // Z under Q and X under A: main word ZX, cross words QZ and AX.
  const int rowY = 6 * 39 + 20 + 27;
  m.rackClick(1, 0, 0);
  m.boardClick(4 * 39 + 20, 6 * 39 + 20, korvel::client::Button::Left, 0, rowY);
  m.rackClick(2, 0, 0);
  m.boardClick(5 * 39 + 20, 6 * 39 + 20, korvel::client::Button::Left, 0, rowY);
  const Outcome refused = feed(m, toclient::playerror(1, 6));
  EXPECT_EQ(refused.chat, (Strings{"0+Not in the word list:ZX, QZ, AX"}));
  EXPECT_EQ(m.status, "Invalid Word");
  // Other refusals name nothing.
  EXPECT_TRUE(feed(m, toclient::playerror(1, 7)).chat.empty());
  // Another player's refusal is not this client's.
  EXPECT_TRUE(feed(m, toclient::playerror(2, 6)).chat.empty());
}

GameRecord sampleRecord() {
  GameMirror m = threePlayers();
  feed(m, toclient::nextplayer(1, 24));
  feed(m,
       toclient::goodword(
           1, 12, 12, {{4, 5, 1, code('Q')}, {5, 5, 2, code('A')}, {6, 5, 3, code('T')}}, {"qat"}));
  feed(m, toclient::mytiles(1, {{1, code('E')}, {2, code('A')}, {3, code('T')}}));
  feed(m, toclient::nextplayer(2, 27));
  feed(m, toclient::goodword(2, 4, 4, {{7, 5, 1, code('S')}}, {"qats"}));
  feed(m, toclient::nextplayer(1, 28));
  feed(m, toclient::hepassed(1));
  feed(m, toclient::winner("Ann"));
  return m.history.record;
}

struct TempFolder {
  fs::path path;
  TempFolder() {
    path = fs::temp_directory_path() /
           ("korvel-games-" + std::to_string(::getpid()) + "-" +
            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(path);
  }
  ~TempFolder() { fs::remove_all(path); }
};

std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(GameFile, RoundTripsAndRefusesEverythingElse) {
  const GameRecord g = sampleRecord();
  const std::string json = gameToJson(g);
  const auto back = gameFromJson(json);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, g);
  EXPECT_NE(json.find("\"rack\":\"QATSEIRN\""), std::string::npos);
  std::size_t turnLines = 0;
  for (auto at = json.find("\n  {\"seat\""); at != std::string::npos;
       at = json.find("\n  {", at + 1))
    ++turnLines;
  EXPECT_EQ(turnLines, 3u);  // one line per turn

  auto replaced = [&](std::string from, std::string to) {
    std::string s = json;
    const auto at = s.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) s.replace(at, from.size(), to);
    return s;
  };
  const struct {
    const char* what;
    std::string text;
  } damaged[] = {
      {"empty", ""},
      {"cut short", json.substr(0, json.size() / 2)},
      {"not an object", "[1,2,3]"},
      {"another format", replaced("korvel-game", "other-game")},
      {"a later version", replaced("\"version\": 1", "\"version\": 2")},
      {"a letter that is no letter", replaced("\"letter\":\"Q\"", "\"letter\":\"q\"")},
      {"a cell off the board", replaced("\"x\":4", "\"x\":11")},
      {"a turn of seat 5", replaced("\"seat\":2,\"player\"", "\"seat\":5,\"player\"")},
      {"a score as text", replaced("\"score\":12", "\"score\":\"12\"")},
      {"a rack too short", replaced("QATSEIRN", "QATS")},
      {"an unknown kind", replaced("\"kind\":\"pass\"", "\"kind\":\"resign\"")},
      {"a date that is no date", replaced(isoTime(g.started), "yesterday")},
      {"three final scores", replaced("\"finalScores\": [12,", "\"finalScores\": [")},
  };
  for (const auto& d : damaged) {
    SCOPED_TRACE(d.what);
    EXPECT_FALSE(gameFromJson(d.text));
  }
  // Whatever a host sends, the record keeps within what reads back: a long name in another
  // encoding, and more turns than a game file holds.
  GameLog log;
  log.begin(1, 60, true);
  const std::string latin1Name(1500, '\xE9');
  log.seat(1, latin1Name);
  TurnRecord pass;
  pass.seat = 1;
  pass.player = latin1Name;
  for (std::size_t i = 0; i < kGameTurns + 5; ++i) log.add(pass);
  log.finish(latin1Name);
  EXPECT_EQ(log.record.turns.size(), kGameTurns);
  EXPECT_TRUE(gameFromJson(gameToJson(log.record)));
  // An 8-bit name is read by the text rule ("é" in UTF-8) and cut between characters, so the
  // saved file holds the name the players saw rather than replacement marks.
  const std::string kept = log.record.players.at(0).name;
  EXPECT_LE(kept.size(), kMaxNameBytes);
  EXPECT_EQ(kept.size() % 2, 0u);
  EXPECT_EQ(kept.substr(0, 4), "\xC3\xA9\xC3\xA9");
  EXPECT_EQ(log.record.turns.front().player, kept);
  EXPECT_EQ(gameFromJson(gameToJson(log.record))->players.at(0).name, kept);
  // The list reads all but the turns, which need only be well-formed.
  const auto head = gameHeadFromJson(replaced("\"kind\":\"pass\"", "\"kind\":\"resign\""));
  ASSERT_TRUE(head);
  EXPECT_EQ(head->players, g.players);
  EXPECT_EQ(head->finalScores, g.finalScores);
  EXPECT_FALSE(gameHeadFromJson(json.substr(0, json.size() - 4)));
  EXPECT_FALSE(gameHeadFromJson(replaced("\"winner\": \"Ann\"", "\"winner\": 7")));
}

TEST(GameFile, SavesNewFilesListsNewestFirstAndLeavesDamagedFilesAlone) {
  TempFolder folder;
  GameRecord older = sampleRecord();
  GameRecord newer = older;
  newer.started += 3600;
  newer.winner = "Bob";
  const auto a = saveGame(folder.path, older);
  const auto b = saveGame(folder.path, newer);
  const auto c = saveGame(folder.path, older);  // the same start time: a name of its own
  ASSERT_TRUE(a && b && c);
  EXPECT_NE(*a, *c);
  EXPECT_EQ(loadGame(*a), older);
  EXPECT_EQ(readAll(*a), readAll(*c));

  const fs::path broken = folder.path / "2020-01-01_00-00-00.json";
  const std::string brokenBytes = "{\"format\": \"korvel-game\", \"turns\": [";
  std::ofstream(broken, std::ios::binary) << brokenBytes;
  const auto stamp = fs::last_write_time(broken);
  std::ofstream(folder.path / "notes.txt") << "not a game";

  const auto games = listGames(folder.path);
  ASSERT_EQ(games.size(), 4u);
  EXPECT_EQ(games[0].file, *b);
  EXPECT_EQ(games[0].winner, "Bob");
  EXPECT_FALSE(games[1].damaged || games[2].damaged);
  EXPECT_TRUE(games[3].damaged);
  EXPECT_EQ(games[3].file, broken);
  EXPECT_EQ(games[1].finalScores, (std::array<int, 4>{12, 4, 0, 0}));
  // Listing (and saving beside it) leaves the damaged file exactly as it was.
  ASSERT_TRUE(saveGame(folder.path, newer));
  EXPECT_EQ(readAll(broken), brokenBytes);
  EXPECT_EQ(fs::last_write_time(broken), stamp);
  // No temporary file is left behind.
  for (const auto& e : fs::directory_iterator(folder.path))
    EXPECT_NE(e.path().extension(), ".tmp") << e.path();
}

TEST(GameSummaryAndRecord, SummaryAndPlainTextRecordOfAGame) {
  const GameRecord g = sampleRecord();
  const GameSummary s = summarise(g);
  ASSERT_EQ(s.players.size(), 3u);
  EXPECT_EQ(s.players[0].name, "Ann");
  EXPECT_EQ(s.players[0].score, 12);
  EXPECT_EQ(s.players[0].moves, 1);
  EXPECT_EQ(s.players[0].bestWord, "QAT");
  EXPECT_TRUE(s.players[0].won);
  EXPECT_EQ(s.players[1].name, "Bob");
  EXPECT_EQ(s.players[1].bestScore, 4);
  EXPECT_FALSE(s.players[1].won);
  EXPECT_EQ(s.players[2].moves, 0);
  EXPECT_EQ(s.turns, 3);
  EXPECT_EQ(durationText(3725), "1 h 2 min");
  EXPECT_EQ(durationText(725), "12 min 5 s");
  EXPECT_EQ(durationText(40), "40 s");

  const std::string text = gameRecordText(g);
  EXPECT_NE(text.find("    1  Ann     E6 across   QAT                          12     12\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("    2  Bob     E6 across   QATS                          4      4\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("    3  Ann                 passed                        0     12\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Winner: Ann\n"), std::string::npos);
}

TEST(GameAnalysis, BestMovePerOwnTurnAndPointsLeftOnTheTable) {
  const GameRecord g = sampleRecord();
  const auto boards = replayBoards(g);
  ASSERT_EQ(boards.size(), 4u);
  EXPECT_EQ(boards[1][5][5], code('A'));
  EXPECT_EQ(boards[2][7][5], code('S'));

  const GameAnalysis a = analyseGame(g, smallList());
  ASSERT_EQ(a.turns.size(), 2u);  // Ann's word and Ann's pass
  // From Q A T S E I R N on the empty board, QATS (10+1+1+1 = 13) beats QAT.
  EXPECT_EQ(a.turns[0].turn, 0u);
  EXPECT_EQ(a.turns[0].played, 12);
  EXPECT_GE(a.turns[0].best, 13);
  EXPECT_EQ(analysisLine(g, a.turns[0]), "You: QAT 12 \u00b7 Best: " + a.turns[0].bestWord + " " +
                                             std::to_string(a.turns[0].best));
  std::string best = a.turns[0].bestWord;
  for (char& ch : best) ch = static_cast<char>(ch - 'A' + 'a');
  EXPECT_TRUE(smallList().contains(best)) << best;
  EXPECT_EQ(a.turns[1].played, 0);
  EXPECT_GT(a.turns[1].best, 0);
  EXPECT_EQ(analysisLine(g, a.turns[1]).rfind("You: passed \u00b7 Best: ", 0), 0u);
  EXPECT_EQ(a.leftOnTable, (a.turns[0].best - 12) + a.turns[1].best);
}

}  // namespace
