#include "bot/computer_player.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <exception>
#include <random>

#include "client/game_mirror.h"
#include "dictionary/word_list_blob.h"
#include "protocol/tsock.h"

ComputerPlayer::ComputerPlayer(const korvel::bot::Lexicon& lexicon, int port, QObject* parent)
    : QObject(parent), brain(lexicon) {
  sock = new TSock(this);
  sock->HostName = "127.0.0.1";
  sock->PortName = std::to_string(port);
  sock->OnRead = [this](TSock*, int) { sockRead(); };
  sock->OnInfo = [this](TSock*, int kind, const std::string& msg) { sockInfo(kind, msg); };
  thinkTimer.setSingleShot(true);
  connect(&thinkTimer, &QTimer::timeout, this, [this] { think(); });
}

ComputerPlayer::~ComputerPlayer() {
  sock->OnRead = nullptr;
  sock->OnInfo = nullptr;
}

void ComputerPlayer::open() {
  try {
    sock->open();
  } catch (const ESockError&) {
    ended();
  }
}

void ComputerPlayer::leave() {
  thinkTimer.stop();
  if (gone_) return;
  sock->close();  // raises "Socket Closed", which ends it
  ended();
}

void ComputerPlayer::setBotSpeed(int milliseconds) {
  botspeed_ = std::max(0, milliseconds);
}

void ComputerPlayer::send(const std::string& message) {
  try {
    sock->send(message);
  } catch (const ESockError&) {
    // The connection is going; its close ends this player.
  }
}

void ComputerPlayer::think() {
  if (gone_) return;
  const std::string answer = brain.play();
  if (!answer.empty()) send(answer);
}

void ComputerPlayer::sockRead() {
  tail_.arrive(sock->receive(), queue_);
  while (!queue_.empty() && !gone_) {
    const korvel::bot::Reaction r = brain.handleLine(queue_.take().text);
    for (const std::string& m : r.send) send(m);
    if (r.seated) emit seatTaken();
    if (r.leave) {
      leave();
      return;
    }
    // The wait runs from the start of its turn; an answer within the turn follows at once.
    if (r.play == korvel::bot::Reaction::Play::AfterDelay) thinkTimer.start(botspeed_);
    if (r.play == korvel::bot::Reaction::Play::Now) thinkTimer.start(0);
  }
}

void ComputerPlayer::sockInfo(int kind, const std::string& msg) {
  // A connect that fails reports only an error and leaves a socket that is not connected.
  if (msg == "Socket Closed" || (kind == 7 && !sock->connected())) ended();
}

void ComputerPlayer::ended() {
  if (gone_) return;
  gone_ = true;
  thinkTimer.stop();
  emit left();
}

ComputerPlayers::ComputerPlayers(int port, QObject* parent) : QObject(parent), port_(port) {
  poll_.setInterval(5);
  connect(&poll_, &QTimer::timeout, this, [this] { check(); });
  deadline_.setSingleShot(true);
  connect(&deadline_, &QTimer::timeout, this, [this] {
    leaving_.clear();
    for (ComputerPlayer* p : players_) {
      if (!p->seated()) p->leave();
    }
    check();
  });
}

ComputerPlayers::~ComputerPlayers() {
  for (ComputerPlayer* p : players_) delete p;
}

void ComputerPlayers::setLexicon(std::shared_ptr<const korvel::bot::Lexicon> lexicon) {
  lexicon_ = std::move(lexicon);
}

const korvel::bot::Lexicon& ComputerPlayers::lexicon() {
  if (!lexicon_) {
    const QByteArray blob = korvel::embeddedTextDemo();
    lexicon_ = std::make_shared<const korvel::bot::Lexicon>(korvel::bot::Lexicon::fromRecords(
        std::string_view(blob.constData(), static_cast<std::size_t>(blob.size()))));
  }
  return *lexicon_;
}

namespace {

QByteArray resource(const char* name) {
  QFile file(name);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::string_view view(const QByteArray& bytes) {
  return std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

void ComputerPlayers::setLevelData(std::shared_ptr<const korvel::bot::Lexicon> common,
                                   std::shared_ptr<const korvel::bot::Lexicon> known,
                                   std::shared_ptr<const korvel::bot::LeaveValues> leaves) {
  common_ = std::move(common);
  known_ = std::move(known);
  leaves_ = std::move(leaves);
}

korvel::bot::LevelSetup ComputerPlayers::levelSetup() {
  using namespace korvel::bot;
  if (level_ == Level::Easy && !common_) {
    common_ = std::make_shared<const Lexicon>(
        Lexicon::fromLines(view(resource(":/commonwords/words.txt"))));
  }
  if (level_ == Level::Normal && !known_) {
    known_ = std::make_shared<const Lexicon>(
        Lexicon::fromLines(view(resource(":/commonwords/known.txt"))));
  }
  if (level_ == Level::Strong && !leaves_) {
    // A table that does not read weighs every kept rack alike rather than stopping the game.
    leaves_ = std::make_shared<const LeaveValues>(
        LeaveValues::fromText(view(resource(":/leaves/leaves.txt"))).value_or(LeaveValues()));
  }
  LevelSetup setup;
  setup.level = level_;
  setup.common = common_.get();
  setup.known = known_.get();
  setup.leaves = leaves_.get();
  setup.seed = static_cast<std::uint32_t>(std::random_device{}());
  return setup;
}

void ComputerPlayers::setLevel(korvel::bot::Level level) {
  level_ = level;
  const korvel::bot::LevelSetup setup = levelSetup();
  for (ComputerPlayer* p : players_) p->brain.setLevel(setup);
}

void ComputerPlayers::setBotSpeed(int milliseconds) {
  botspeed_ = milliseconds;
  for (ComputerPlayer* p : players_) p->setBotSpeed(milliseconds);
}

std::vector<ComputerPlayer*> ComputerPlayers::players() const {
  return players_;
}

bool ComputerPlayers::seatFree(int seat) const {
  for (const ComputerPlayer* p : players_) {
    if (p->seat() == seat) return false;
  }
  if (!seatLabel) return true;
  const std::string label = seatLabel(seat);
  return label == korvel::client::kWaiting || label == korvel::bot::BotPlayer::standbyName(seat);
}

void ComputerPlayers::forget(ComputerPlayer* player) {
  players_.erase(std::remove(players_.begin(), players_.end(), player), players_.end());
  player->deleteLater();
}

void ComputerPlayers::startGame(int count, std::function<void()> then) {
  count = std::clamp(count, 0, kMost);
  // Those beyond the count leave, the last seated first.
  std::vector<ComputerPlayer*> staying = players_;
  std::sort(staying.begin(), staying.end(),
            [](const ComputerPlayer* a, const ComputerPlayer* b) { return a->seat() < b->seat(); });
  while (static_cast<int>(staying.size()) > count) {
    ComputerPlayer* p = staying.back();
    staying.pop_back();
    if (p->seat() != 0) leaving_.push_back(p->seat());
    p->leave();
  }
  int free = 0;
  for (int seat = 2; seat <= korvel::client::kSeats; ++seat) free += seatFree(seat) ? 1 : 0;
  const int wanted = std::min(count - static_cast<int>(staying.size()), free);
  if (wanted > 0) lexicon();
  for (int i = 0; i < wanted; ++i) {
    auto* p = new ComputerPlayer(*lexicon_, port_);
    p->brain.setLevel(levelSetup());
    p->setBotSpeed(botspeed_);
    connect(p, &ComputerPlayer::left, this, [this, p] { forget(p); });
    players_.push_back(p);
    p->open();
  }
  then_ = std::move(then);
  deadline_.start(kStartTimeoutMs);
  poll_.start();
  check();
}

void ComputerPlayers::check() {
  if (!then_) {
    poll_.stop();
    return;
  }
  for (const ComputerPlayer* p : players_) {
    if (!p->seated()) return;
  }
  // The host has heard of every departure, so the server handled it before the start arrives.
  if (seatLabel) {
    for (int seat : leaving_) {
      if (seatLabel(seat) != korvel::client::kWaiting) return;
    }
  }
  leaving_.clear();
  poll_.stop();
  deadline_.stop();
  std::exchange(then_, nullptr)();
}
