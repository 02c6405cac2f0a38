#pragma once
// Computer players as the host's process runs them: each is a client like any other, a TSock
// connection to the host's own server on 127.0.0.1 whose messages drive a BotPlayer. The server
// and the other participants see an ordinary player.
//
// ComputerPlayers brings their number to what the game start dialog asks for before a game:
// new ones connect into free player seats, those beyond the count leave, and the start message
// goes out once the server has seated the newcomers and let the leavers go.

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bot/bot_player.h"
#include "bot/lexicon.h"
#include "protocol/receive_queue.h"

class TSock;

class ComputerPlayer : public QObject {
  Q_OBJECT
 public:
  ComputerPlayer(const korvel::bot::Lexicon& lexicon, int port, QObject* parent = nullptr);
  ~ComputerPlayer() override;

  // Connects to the server on 127.0.0.1 at the port given.
  void open();
  // Closes the connection; the server frees the seat and tells the others.
  void leave();

  // Milliseconds from the start of its turn to its answer.
  void setBotSpeed(int milliseconds);
  int botSpeed() const { return botspeed_; }

  // The wait of its turn is over (what thinkTimer runs): sends its answer.
  void think();

  bool seated() const { return brain.isSeated() && !gone_; }
  bool gone() const { return gone_; }
  int seat() const { return brain.seat(); }

  korvel::bot::BotPlayer brain;
  TSock* sock = nullptr;
  QTimer thinkTimer;  // single shot, started at the beginning of its turn

 signals:
  void seatTaken();
  void left();

 private:
  void sockRead();
  void sockInfo(int kind, const std::string& msg);
  void send(const std::string& message);
  void ended();

  korvel::protocol::Deframer tail_;
  korvel::protocol::ReceiveQueue queue_;
  int botspeed_ = 1000;
  bool gone_ = false;
};

class ComputerPlayers : public QObject {
  Q_OBJECT
 public:
  static constexpr int kMost = 3;
  // How long a start waits for the server at most; then the game starts with whoever is seated.
  static constexpr int kStartTimeoutMs = 5000;

  explicit ComputerPlayers(int port, QObject* parent = nullptr);
  ~ComputerPlayers() override;

  // The host's view of a player seat 1 to 4: the name its label shows. Seats showing
  // "<Waiting>" or their stand-by name are free unless a computer player of ours holds them.
  std::function<std::string(int seat)> seatLabel;

  // The word structure. Built from the embedded word list on first use unless given before.
  void setLexicon(std::shared_ptr<const korvel::bot::Lexicon> lexicon);
  const korvel::bot::Lexicon& lexicon();

  // The level of every computer player, now and later; Normal until set. The common words, the
  // well-known words and the leave table come from the program's resources on first use unless
  // given before.
  void setLevel(korvel::bot::Level level);
  korvel::bot::Level level() const { return level_; }
  void setLevelData(std::shared_ptr<const korvel::bot::Lexicon> common,
                    std::shared_ptr<const korvel::bot::Lexicon> known,
                    std::shared_ptr<const korvel::bot::LeaveValues> leaves);

  // The bot speed of every computer player, now and later (500, 1000 or 2000 ms).
  void setBotSpeed(int milliseconds);
  int botSpeed() const { return botspeed_; }

  // Brings the computer players to `count` (0 to 3; as many as there are free player seats),
  // then runs `then` once every newcomer is seated and every leaver's seat is free again. A
  // second call before that replaces the first one's `then`.
  void startGame(int count, std::function<void()> then);

  // The computer players that have not left.
  std::vector<ComputerPlayer*> players() const;
  // True while a start waits for the server.
  bool starting() const { return static_cast<bool>(then_); }

 private:
  bool seatFree(int seat) const;
  korvel::bot::LevelSetup levelSetup();
  void check();
  void forget(ComputerPlayer* player);

  int port_;
  int botspeed_ = 1000;
  std::shared_ptr<const korvel::bot::Lexicon> lexicon_;
  korvel::bot::Level level_ = korvel::bot::Level::Normal;
  std::shared_ptr<const korvel::bot::Lexicon> common_;
  std::shared_ptr<const korvel::bot::Lexicon> known_;
  std::shared_ptr<const korvel::bot::LeaveValues> leaves_;
  std::vector<ComputerPlayer*> players_;
  std::vector<int> leaving_;  // seats whose computer players left during this start
  std::function<void()> then_;
  QTimer poll_;
  QTimer deadline_;
};
