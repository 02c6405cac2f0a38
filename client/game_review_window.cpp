#include "client/game_review_window.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "client/artwork.h"
#include "client/game_file.h"
#include "client/game_record_text.h"
#include "client/peer_text.h"
#include "client/record_table.h"
#include "dialogs/dialog_look.h"

namespace {

constexpr int kAnalysisColumn = 4;

}  // namespace

ReviewBoard::ReviewBoard(QWidget* parent) : QWidget(parent) {
  setFixedSize(artwork::kBoardSize);
  setAccessibleName("Board");
  setFocusPolicy(Qt::StrongFocus);  // its window steps with the arrow keys
}

void ReviewBoard::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const qreal dpr = devicePixelRatioF();
  p.drawPixmap(0, 0, artwork::board(dpr));
  for (int c = 0; c < korvel::bot::kSide; ++c) {
    for (int r = 0; r < korvel::bot::kSide; ++r) {
      const int code = letters[c][r];
      if (code >= 1 && code <= 26)
        p.drawPixmap(artwork::kCell * c, artwork::kCell * r, artwork::tile(code, dpr));
    }
  }
  for (const auto& [c, r] : lastMove)
    p.drawPixmap(artwork::kCell * c, artwork::kCell * r, artwork::lastMoveMark(dpr));
  // A move that was not played: its tiles pale, framed like a last move.
  for (const auto& t : suggested) {
    if (t.x < 0 || t.x >= korvel::bot::kSide || t.y < 0 || t.y >= korvel::bot::kSide) continue;
    p.setOpacity(0.6);
    p.drawPixmap(artwork::kCell * t.x, artwork::kCell * t.y, artwork::tile(t.code, dpr));
    p.setOpacity(1.0);
    p.drawPixmap(artwork::kCell * t.x, artwork::kCell * t.y, artwork::lastMoveMark(dpr));
  }
  for (const auto& [c, r] : stacked)
    p.drawPixmap(artwork::kCell * c, artwork::kCell * r, artwork::stackMark(dpr));
}

GameReviewWindow::GameReviewWindow(korvel::client::GameRecord record,
                                   const korvel::bot::Lexicon& lexicon, QWidget* parent)
    : QWidget(parent, Qt::Window), record_(std::move(record)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle("Game of " + peerText(korvel::client::isoTime(record_.started)));
  setFont(dialoglook::arial(13));
  boards_ = korvel::client::replayBoards(record_);
  analysis_.resize(record_.turns.size());

  board = new ReviewBoard(this);
  position = new QLabel(this);
  position->setTextFormat(Qt::PlainText);
  leftOnTable = new QLabel("Analysing...", this);
  leftOnTable->setTextFormat(Qt::PlainText);
  moves = recordTable(this, "Moves", {"Turn", "Player", "Move", "Total", "Best Move"});
  moves->setRowCount(steps());
  for (int i = 0; i < steps(); ++i) {
    const auto& t = record_.turns[static_cast<std::size_t>(i)];
    const int total = t.totals[static_cast<std::size_t>(t.seat - 1)];
    const QStringList cells{QString::number(i + 1), peerText(t.player),
                            peerText(korvel::client::describeTurn(t)), QString::number(total), ""};
    for (int c = 0; c < cells.size(); ++c) moves->setItem(i, c, new QTableWidgetItem(cells[c]));
  }
  connect(moves, &QTableWidget::currentCellChanged, this, [this](int row) {
    if (row >= 0 && row + 1 != step_) showStep(row + 1);
  });

  first = new QPushButton("First", this);
  previous = new QPushButton("Previous", this);
  next = new QPushButton("Next", this);
  last = new QPushButton("Last", this);
  saveButton = new QPushButton("Save Game Record...", this);
  bestButton = new QPushButton("Show Best Move", this);
  bestButton->setCheckable(true);
  bestButton->setEnabled(false);
  connect(bestButton, &QPushButton::toggled, this, [this] { showStep(step_); });
  connect(first, &QPushButton::clicked, this, [this] { showStep(0); });
  connect(previous, &QPushButton::clicked, this, [this] { showStep(step_ - 1); });
  connect(next, &QPushButton::clicked, this, [this] { showStep(step_ + 1); });
  connect(last, &QPushButton::clicked, this, [this] { showStep(steps()); });
  connect(saveButton, &QPushButton::clicked, this, [this] { saveRecord(); });

  auto* steps = new QHBoxLayout;
  for (QPushButton* b : {first, previous, next, last}) steps->addWidget(b);
  steps->addSpacing(16);
  steps->addWidget(bestButton);
  steps->addStretch();
  steps->addWidget(saveButton);
  auto* left = new QVBoxLayout;
  left->addWidget(board);
  left->addWidget(position);
  left->addStretch();
  auto* right = new QVBoxLayout;
  right->addWidget(moves);
  right->addWidget(leftOnTable);
  auto* top = new QHBoxLayout;
  top->addLayout(left);
  top->addLayout(right, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(steps);
  resize(1000, 540);

  chooseFile = [this](const QString& suggested) {
    return QFileDialog::getSaveFileName(this, "Save Game Record", suggested, "Text files (*.txt)");
  };
  connect(&watcher_, &QFutureWatcher<korvel::client::GameAnalysis>::finished, this,
          [this] { showAnalysis(); });
  // The worker reads its own copy of the record and the shared, read-only word structure.
  watcher_.setFuture(QtConcurrent::run(
      [record = record_, &lexicon] { return korvel::client::analyseGame(record, lexicon); }));
  showStep(0);
}

GameReviewWindow::~GameReviewWindow() {
  watcher_.disconnect(this);
  watcher_.waitForFinished();
}

void GameReviewWindow::waitForAnalysis() {
  watcher_.waitForFinished();
  if (!analysed_) showAnalysis();
}

void GameReviewWindow::showAnalysis() {
  if (analysed_ || !watcher_.future().isValid()) return;
  analysed_ = true;
  const auto analysis = watcher_.result();
  for (const auto& a : analysis.turns) {
    const int row = static_cast<int>(a.turn);
    if (auto* item = moves->item(row, kAnalysisColumn)) {
      item->setText(peerText(korvel::client::analysisLine(record_, a)));
      item->setToolTip(item->text());  // the column may be too narrow for all of it
    }
    if (a.turn < analysis_.size()) analysis_[a.turn] = a;
  }
  leftOnTable->setText(QString("Points left on the table: %1").arg(analysis.leftOnTable));
  showStep(step_);
}

void GameReviewWindow::showStep(int turns) {
  turns = std::clamp(turns, 0, steps());
  step_ = turns;
  // The best move of the turn that led here, when the analysis has one.
  const korvel::client::TurnAnalysis* best = nullptr;
  if (turns > 0) {
    const auto& a = analysis_[static_cast<std::size_t>(turns) - 1];
    if (a && !a->bestTiles.empty()) best = &*a;
  }
  bestButton->setEnabled(best != nullptr);
  const bool showBest = best && bestButton->isChecked();
  // Showing the best move: the board the turn was played on, with that move laid over it.
  const int shown = showBest ? turns - 1 : turns;
  board->letters = boards_[static_cast<std::size_t>(shown)];
  board->lastMove.clear();
  board->stacked.clear();
  board->suggested.clear();
  // A cell is stacked once a move laid a letter on a letter that was there.
  for (int i = 0; i < shown; ++i) {
    for (const auto& l : record_.turns[static_cast<std::size_t>(i)].tiles) {
      if (l.x < 0 || l.x >= korvel::bot::kSide || l.y < 0 || l.y >= korvel::bot::kSide) continue;
      if (boards_[static_cast<std::size_t>(i)][l.x][l.y] != 0) board->stacked.push_back({l.x, l.y});
      if (i == shown - 1) board->lastMove.push_back({l.x, l.y});
    }
  }
  if (showBest) {
    board->lastMove.clear();
    board->suggested = best->bestTiles;
  }
  board->update();
  if (showBest) {
    position->setText(QString("Best move for turn %1: %2 %3")
                          .arg(turns)
                          .arg(peerText(best->bestWord).toUpper())
                          .arg(best->best));
  } else {
    position->setText(turns == 0 ? QString("Start of the game")
                                 : QString("After turn %1 of %2").arg(turns).arg(steps()));
  }
  board->setAccessibleDescription(position->text());
  previous->setEnabled(turns > 0);
  first->setEnabled(turns > 0);
  next->setEnabled(turns < steps());
  last->setEnabled(turns < steps());
  if (turns > 0 && moves->currentRow() != turns - 1) moves->setCurrentCell(turns - 1, 0);
  if (turns == 0) moves->clearSelection();
}

bool GameReviewWindow::saveRecord() {
  QString folder = recordFolder ? recordFolder() : QString();
  if (folder.isEmpty() || !QFileInfo(folder).isDir())
    folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (folder.isEmpty()) folder = QDir::homePath();
  const QString path =
      chooseFile ? chooseFile(QDir(folder).filePath("korvel-game.txt")) : QString();
  if (path.isEmpty()) return false;
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  const std::string record = korvel::client::gameRecordText(record_);
  if (file.write(record.data(), static_cast<qint64>(record.size())) !=
      static_cast<qint64>(record.size()))
    return false;
  if (recordSaved) recordSaved(QFileInfo(path).absolutePath());
  return true;
}

void GameReviewWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
      showStep(step_ - 1);
      return;
    case Qt::Key_Right:
      showStep(step_ + 1);
      return;
    case Qt::Key_Home:
      showStep(0);
      return;
    case Qt::Key_End:
      showStep(steps());
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}
