#include "window/game_review_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "client/game_file.h"
#include "client/game_record_text.h"
#include "dialogs/dialog_look.h"
#include "window/artwork.h"
#include "window/peer_text.h"
#include "window/record_table.h"

namespace {

enum Column { kTurn, kPlayer, kMove, kTotal, kBest, kColumns };

bool onBoard(int x, int y) {
  return x >= 0 && x < korvel::bot::kSide && y >= 0 && y < korvel::bot::kSide;
}

// A suggested tile's frame: dark blue dashes over a white line, thick enough to tell from the
// vermilion last-move frame by its pattern as well as its colour.
void drawSuggestedFrame(QPainter& p, const QRectF& cell) {
  const QRectF frame = cell.adjusted(2.5, 2.5, -2.5, -2.5);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Qt::white, 3.6));
  p.drawRoundedRect(frame, 3.5, 3.5);
  QPen dashes(QColor(0x0b, 0x2a, 0x8c), 3.6, Qt::CustomDashLine, Qt::FlatCap);
  dashes.setDashPattern({1.6, 1.0});
  p.setPen(dashes);
  p.drawRoundedRect(frame, 3.5, 3.5);
}

// The letter a suggested tile would cover, small in the cell's top left corner (the stack mark
// takes the top right).
void drawCoveredLetter(QPainter& p, const QRectF& cell, int code) {
  // Over the frame's corner, clear of the tile's own letter.
  const QRectF chip(cell.left() + 1.0, cell.top() + 1.0, 11.5, 11.5);
  p.setPen(QPen(Qt::white, 1.0));
  p.setBrush(QColor(0x2b, 0x1d, 0x10));
  p.drawRoundedRect(chip, 2.0, 2.0);
  QFont font = dialoglook::arial(9, true);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(chip, Qt::AlignCenter, QString(QChar('A' + code - 1)));
}

}  // namespace

ReviewBoard::ReviewBoard(QWidget* parent) : QWidget(parent) {
  setFixedSize(artwork::kBoardSize);
  setAccessibleName("Board");
  setFocusPolicy(Qt::StrongFocus);  // its window steps with the arrow keys
}

void ReviewBoard::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
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
  for (const auto& [c, r] : stacked)
    p.drawPixmap(artwork::kCell * c, artwork::kCell * r, artwork::stackMark(dpr));
  // A move that was not played: whole tiles over the board, framed apart from a played move, the
  // letter each would cover still readable in its corner.
  for (const auto& t : suggested) {
    if (!onBoard(t.x, t.y)) continue;
    const QRectF cell(artwork::kCell * t.x, artwork::kCell * t.y, artwork::kCell, artwork::kCell);
    p.drawPixmap(cell.topLeft(), artwork::tile(t.code, dpr));
    drawSuggestedFrame(p, cell);
    const int covered = letters[t.x][t.y];
    if (covered >= 1 && covered <= 26 && covered != t.code) drawCoveredLetter(p, cell, covered);
  }
}

ReviewModel::ReviewModel(const korvel::client::GameRecord& record, QObject* parent)
    : QAbstractTableModel(parent), record_(record), analysis_(record.turns.size()) {}

void ReviewModel::setAnalysis(const korvel::client::TurnAnalysis& a) {
  if (a.turn >= analysis_.size()) return;
  analysis_[a.turn] = a;
  const QModelIndex cell = index(static_cast<int>(a.turn), kBest);
  emit dataChanged(cell, cell);
}

const std::optional<korvel::client::TurnAnalysis>& ReviewModel::analysis(int turn) const {
  static const std::optional<korvel::client::TurnAnalysis> kNone;
  if (turn < 0 || static_cast<std::size_t>(turn) >= analysis_.size()) return kNone;
  return analysis_[static_cast<std::size_t>(turn)];
}

QString ReviewModel::text(int row, int column) const {
  if (row < 0 || row >= rowCount()) return {};
  const auto& t = record_.turns[static_cast<std::size_t>(row)];
  switch (column) {
    case kTurn:
      return QString::number(row + 1);
    case kPlayer:
      return peerText(t.player);
    case kMove:
      return peerText(korvel::client::shortTurn(t));
    case kTotal:
      return t.seat >= 1 && t.seat <= 4
                 ? QString::number(t.totals[static_cast<std::size_t>(t.seat - 1)])
                 : QString();
    case kBest: {
      const auto& a = analysis(row);
      return a ? peerText(korvel::client::bestMoveText(*a)) : QString();
    }
    default:
      return {};
  }
}

QString ReviewModel::toolTip(int row, int column) const {
  if (row < 0 || row >= rowCount()) return {};
  const auto& t = record_.turns[static_cast<std::size_t>(row)];
  switch (column) {
    case kPlayer:
      return plainToolTip(peerText(t.player));
    case kMove:
      return plainToolTip(peerText(korvel::client::describeTurn(t)));
    case kBest: {
      const auto& a = analysis(row);
      return a ? plainToolTip(peerText(korvel::client::analysisLine(record_, *a))) : QString();
    }
    default:
      return {};
  }
}

int ReviewModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(record_.turns.size());
}

int ReviewModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant ReviewModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  switch (role) {
    case Qt::DisplayRole:
      return text(index.row(), index.column());
    case Qt::ToolTipRole: {
      const QString tip = toolTip(index.row(), index.column());
      return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    case Qt::TextAlignmentRole:
      return index.column() == kTurn || index.column() == kTotal
                 ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                 : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    default:
      return {};
  }
}

QVariant ReviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static const char* const kTitles[kColumns] = {"Turn", "Player", "Move", "Total", "Best Move"};
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= kColumns)
    return {};
  return QString(kTitles[section]);
}

GameReviewWindow::GameReviewWindow(korvel::client::GameRecord record,
                                   const korvel::bot::Lexicon& lexicon, QWidget* parent)
    : QWidget(parent, Qt::Window), record_(std::move(record)) {
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle("Game of " + peerText(korvel::client::isoTime(record_.started)));
  setFont(dialoglook::arial(13));
  boards_ = korvel::client::replayBoards(record_);

  board = new ReviewBoard(this);
  position = new QLabel(this);
  position->setTextFormat(Qt::PlainText);
  detail = new QLabel(this);
  detail->setTextFormat(Qt::PlainText);
  detail->setWordWrap(true);
  detail->setFixedWidth(artwork::kBoardSize.width());
  leftOnTable = new QLabel("Analysing...", this);
  leftOnTable->setTextFormat(Qt::PlainText);
  model = new ReviewModel(record_, this);
  moves = recordView(this, "Moves", model);
  // Each column as wide as its texts (measured once: a saved game does not change), so the main
  // word and its score read whole; a long name is elided and whole in its tooltip.
  for (int c : {kTurn, kPlayer, kMove, kTotal}) {
    QStringList texts;
    for (int r = 0; r < steps(); ++r) texts << model->text(r, c);
    fitColumn(moves, c, texts, c == kPlayer ? 110 : 180);
  }
  connect(moves->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid() && current.row() + 1 != step_) showStep(current.row() + 1);
          });

  first = new QPushButton("First", this);
  previous = new QPushButton("Previous", this);
  next = new QPushButton("Next", this);
  last = new QPushButton("Last", this);
  saveButton = new QPushButton("Save Game Record...", this);
  bestButton = new QPushButton("Show Best Move", this);
  bestButton->setCheckable(true);
  bestButton->setEnabled(false);
  // A click on a button leaves the focus where it was (the board or the move list), so the
  // arrow keys go on stepping; Tab still reaches every button.
  for (QPushButton* b : {first, previous, next, last, bestButton, saveButton})
    b->setFocusPolicy(Qt::TabFocus);
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
  left->addWidget(detail);
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
  resize(1000, 560);

  chooseFile = [this](const QString& suggested) {
    return QFileDialog::getSaveFileName(this, "Save Game Record", suggested, "Text files (*.txt)");
  };
  // The worker reads its own copy of the record and the shared, read-only word structure, and
  // posts each result to the window's thread; the window waits for it only when it closes, and
  // then for one turn at most, since the stop flag is read before each.
  analysis_ = QtConcurrent::run([this, record = record_, &lexicon] {
    const auto found = [this](const korvel::client::TurnAnalysis& a) {
      QMetaObject::invokeMethod(
          this, [this, a] { turnAnalysed(a); }, Qt::QueuedConnection);
    };
    const auto whole = korvel::client::analyseGame(record, lexicon, &stop_, found);
    if (stop_) return;
    const std::int64_t left = whole.leftOnTable;
    QMetaObject::invokeMethod(
        this, [this, left] { analysisDone(left); }, Qt::QueuedConnection);
  });
  showStep(0);
}

GameReviewWindow::~GameReviewWindow() {
  stop_ = true;
  analysis_.waitForFinished();
}

void GameReviewWindow::waitForAnalysis() {
  analysis_.waitForFinished();
  QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void GameReviewWindow::turnAnalysed(const korvel::client::TurnAnalysis& a) {
  model->setAnalysis(a);
  ++analysedTurns_;
  leftOnTable->setText(QString("Analysing... (%1 of your turns)").arg(analysedTurns_));
  // The turn on the board has its best move now: the button can offer it.
  if (static_cast<int>(a.turn) + 1 == step_) showStep(step_);
}

void GameReviewWindow::analysisDone(std::int64_t left) {
  analysed_ = true;
  QStringList texts;
  for (int r = 0; r < steps(); ++r) texts << model->text(r, kBest);
  fitColumn(moves, kBest, texts);
  leftOnTable->setText(QString("Points left on the table: %1").arg(left));
}

void GameReviewWindow::showStep(int turns) {
  turns = std::clamp(turns, 0, steps());
  step_ = turns;
  // The best move of the turn that led here, when the analysis has one.
  const korvel::client::TurnAnalysis* best = nullptr;
  if (turns > 0) {
    const auto& a = model->analysis(turns - 1);
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
      if (!onBoard(l.x, l.y)) continue;
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
  // The detail line: the turn in full, every word it formed, and against the best move.
  QString more;
  if (turns > 0) {
    const auto& t = record_.turns[static_cast<std::size_t>(turns) - 1];
    more = peerText(t.player) + ": " + peerText(korvel::client::describeTurn(t));
    if (const auto& a = model->analysis(turns - 1))
      more += "\n" + peerText(korvel::client::analysisLine(record_, *a));
  }
  detail->setText(more);
  board->setAccessibleDescription(position->text());
  previous->setEnabled(turns > 0);
  first->setEnabled(turns > 0);
  next->setEnabled(turns < steps());
  last->setEnabled(turns < steps());
  if (turns > 0 && moves->currentIndex().row() != turns - 1) {
    moves->setCurrentIndex(model->index(turns - 1, 0));
    moves->scrollTo(model->index(turns - 1, 0));
  }
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
