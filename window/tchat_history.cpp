// The game's record on screen: View, "Game History" and "Past Games", the summary at the end of
// a game and saving the finished game. The record itself is the mirror's.

#include <QGuiApplication>
#include <QScreen>

#include "app/settings.h"
#include "bot/level.h"
#include "bot/lexicon.h"
#include "client/game_file.h"
#include "dialogs/tgamestart.h"
#include "window/game_history_window.h"
#include "window/game_review_window.h"
#include "window/game_summary_window.h"
#include "window/panel_widgets.h"
#include "window/past_games_window.h"
#include "window/tchat.h"

void Tchat::wireHistory() {
  game.isWord = [this](std::string_view word) { return lexicon && lexicon().contains(word); };
  // Only the host that seats the computer players knows their level.
  game.history.computerLevel = [this]() -> std::string {
    if (!game.hosting || !gamestartDialog || gamestartDialog->computerPlayers() == 0) return {};
    return std::string(korvel::bot::levelName(gamestartDialog->computerLevel()));
  };
}

void Tchat::GameHistory1Click() {
  if (!historyWindow) historyWindow = new GameHistoryWindow(this);
  historyWindow->showRecord(game.history.record);
  historyWindow->show();
  historyWindow->raise();
  historyWindow->activateWindow();
}

void Tchat::PastGames1Click() {
  if (!pastGamesWindow) {
    pastGamesWindow = new PastGamesWindow(this);
    pastGamesWindow->lexicon = [this]() -> const korvel::bot::Lexicon& { return lexicon(); };
    pastGamesWindow->opened = [this](GameReviewWindow* review) {
      review->recordFolder = [this] { return QString::fromStdString(recordFolder); };
      review->recordSaved = [this](const QString& folder) {
        recordFolder = folder.toStdString();
        saveinifile({korvel::app::kRecordfolderKey});
      };
      review->show();
      review->raise();
    };
  }
  pastGamesWindow->folder = gamesFolder;
  pastGamesWindow->show();
  pastGamesWindow->raise();
  pastGamesWindow->activateWindow();
}

void Tchat::syncHistory(const korvel::client::Outcome& out) {
  if (historyWindow && historyWindow->isVisible()) historyWindow->showRecord(game.history.record);
  if (out.gameEnded) gameEnded(out.saveGame);
}

void Tchat::gameEnded(bool save) {
  const auto& record = game.history.record;
  if (save && !gamesFolder.empty()) {
    if (korvel::client::saveGame(gamesFolder, record)) {
      // Past Games says so when the games played alone take more than is kept.
      korvel::client::pruneGames(gamesFolder);
    } else if (korvel::client::watchedGameTooLarge(record)) {
      addlinetochat("0+This watched game was not saved: it is larger than any real game.",
                    systemcolor);
    } else {
      addlinetochat("0+This game could not be saved in " + gamesFolder.string() + ".", systemcolor);
    }
  }
  if (pastGamesWindow && pastGamesWindow->isVisible()) pastGamesWindow->refresh();
  if (!summaryWindow) {
    summaryWindow = new GameSummaryWindow(this);
    summaryWindow->playAgain = [this] { button_startClick(); };
  }
  summaryWindow->showSummary(record, game.hosting);
  summaryWindow->adjustSize();
  // Beside the main window, never over the board: the right, else the left, else below.
  const QRect boardArea(paintbox_board->mapToGlobal(QPoint(0, 0)), paintbox_board->size());
  const QRect window = frameGeometry();
  const QSize size = summaryWindow->frameGeometry().size();
  const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  const QRect room = screen ? screen->availableGeometry() : QRect();
  const QPoint candidates[] = {
      {window.right() + 8, window.top()},
      {window.left() - 8 - size.width(), window.top()},
      {window.left(), window.bottom() + 8},
      {boardArea.right() + 8, boardArea.top()},
  };
  QPoint place = candidates[0];
  for (const QPoint& at : candidates) {
    const QRect r(at, size);
    if (!r.intersects(boardArea) && (room.isEmpty() || room.contains(r))) {
      place = at;
      break;
    }
  }
  summaryWindow->move(place);
  summaryWindow->show();
}
