// The game panel's widgets at their fixed positions: action buttons, board, clock, rack, status
// line, winner panel, seats and the word list.

#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QStringListModel>
#include <QTextBrowser>

#include "window/artwork.h"
#include "window/clock_label.h"
#include "window/panel_widgets.h"
#include "window/picture_button.h"
#include "window/tchat.h"

namespace {

QFont arial(int pixels, bool bold = false) {
  QFont font("Arial");
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QLabel* picture(QWidget* parent, const QPixmap& pixmap, QRect geometry) {
  auto* label = new QLabel(parent);
  label->setPixmap(pixmap);
  label->setGeometry(geometry);
  return label;
}

}  // namespace

void Tchat::buildLayout() {
  auto* client = new QWidget(this);
  client->setMinimumSize(korvel::app::kMinClientWidth, korvel::app::kMinClientHeight);
  setCentralWidget(client);
  QPalette pal = client->palette();
  pal.setColor(QPalette::Window, QColor(248, 244, 177));
  client->setPalette(pal);
  client->setAutoFillBackground(true);
  client->setFont(arial(11));

  panel_board = new QWidget(client);
  panel_board->setGeometry(1, 1, korvel::app::kBoardPanelWidth, korvel::app::kBoardPanelHeight);
  buildDecorations();
  buildGamePanel();
  buildSeats();
  buildPhraseButtons();
  buildChat();

  resize(767, 539 + menuBar()->sizeHint().height());
}

void Tchat::buildDecorations() {
  const qreal dpr = devicePixelRatioF();
  QWidget* client = centralWidget();
  QPalette pal = client->palette();
  pal.setBrush(QPalette::Window, QBrush(artwork::background(QSize(767, 539), dpr)));
  client->setPalette(pal);
  const struct {
    const char* name;
    QRect place;
  } pieces[] = {
      {"Image2", {433, 59, 57, 357}}, {"Image3", {492, 39, 149, 226}},
      {"Image4", {494, 62, 10, 47}},  {"Image5", {494, 114, 10, 47}},
      {"Image6", {494, 165, 10, 47}}, {"Image7", {494, 216, 10, 47}},
  };
  for (const auto& piece : pieces) {
    QLabel* label = picture(panel_board, artwork::decoration(piece.place.size(), dpr), piece.place);
    label->setObjectName(piece.name);
  }
  image_logo = new MouseLabel(panel_board);
  image_logo->setObjectName("image_logo");
  image_logo->setPixmap(artwork::logo(dpr));
  image_logo->setGeometry(512, 8, 226, 28);
  image_logo->setCursor(Qt::PointingHandCursor);
  image_logo->setAccessibleName("Korvel web site");
  image_logo->onRelease = [this](QMouseEvent* e) {
    if (e->button() == Qt::LeftButton) image_logoClick();
  };
}

void Tchat::buildGamePanel() {
  const qreal dpr = devicePixelRatioF();
  using artwork::ActionButton;
  const struct {
    ActionButton which;
    const char* name;
    int left;
    PictureButton** button;
    void (Tchat::*click)();
    const char* shortcut;
  } actions[] = {
      {ActionButton::Pass, "pass", 1, &button_pass, &Tchat::button_passClick, "Ctrl+P"},
      {ActionButton::NewTiles, "newtiles", 114, &button_newtiles, &Tchat::button_newtilesClick,
       "Ctrl+N"},
      {ActionButton::Clear, "clear", 228, &button_clear, &Tchat::button_clearClick,
       "Ctrl+Backspace"},
      {ActionButton::Submit, "submit", 341, &button_submit, &Tchat::button_submitClick,
       "Ctrl+Return"},
  };
  for (std::size_t n = 0; n < std::size(actions); ++n) {
    const auto& a = actions[n];
    const QRect place(a.left, 0, 90, 26);
    buttongray[n] = picture(panel_board, artwork::actionButton(a.which, true, dpr), place);
    buttongray[n]->setObjectName(QString("buttongray_") + a.name);
    buttongray[n]->setAccessibleName(QString(artwork::actionButtonText(a.which)) +
                                     " (unavailable)");
    auto* button = new PictureButton(
        [which = a.which](qreal ratio) { return artwork::actionButton(which, false, ratio); },
        artwork::actionButtonText(a.which), panel_board);
    button->setGeometry(place);
    button->setObjectName(QString("button_") + a.name);
    button->hide();
    connect(button, &QAbstractButton::clicked, this, [this, click = a.click] { (this->*click)(); });
    button->setShortcut(QKeySequence(a.shortcut));
    button->setToolTip(
        QString("%1 (%2)").arg(artwork::actionButtonText(a.which),
                               QKeySequence(a.shortcut).toString(QKeySequence::NativeText)));
    *a.button = button;
  }

  image_board = picture(panel_board, artwork::board(dpr), QRect(1, 27, 430, 430));
  image_board->setObjectName("image_board");
  paintbox_board = new BoardSurface(panel_board);
  paintbox_board->setObjectName("paintbox_board");
  paintbox_board->setGeometry(1, 27, 429, 429);
  paintbox_board->onPaint = [this](QPainter& p) { paintbox_boardPaint(p); };
  paintbox_board->onRelease = [this](QMouseEvent* e) { paintbox_boardMouseUp(e); };
  paintbox_board->onMove = [this](QMouseEvent* e) { pointerMoved(paintbox_board, e); };
  paintbox_board->onKey = [this](QKeyEvent* e) { return paintbox_boardKeyDown(e); };
  paintbox_board->onTabIn = [this] { game.cursorShown = true; };

  Image1 = picture(panel_board, artwork::timerBackground(dpr), QRect(1, 457, 430, 24));
  Image1->setScaledContents(true);
  Image1->setObjectName("Image1");
  image_timer = picture(panel_board, artwork::timerBar(dpr), QRect(2, 458, 428, 22));
  image_timer->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  image_timer->setObjectName("image_timer");
  label_timer = new ClockLabel("Time: 0:00", panel_board);
  label_timer->setGeometry(2, 461, 87, 19);
  label_timer->setObjectName("label_timer");
  label_timer->setFont(arial(13, true));
  label_timer->setAlignment(Qt::AlignCenter);

  for (int n = 0; n < korvel::client::kRackSlots; ++n) {
    const QString slot = QString::number(n + 1);
    shape[n] = new MouseLabel(panel_board);
    shape[n]->setPixmap(artwork::outline(dpr));
    shape[n]->setObjectName("shape_" + slot);
    shape[n]->setGeometry(korvel::client::kRackHome[n], korvel::client::kRackTop, 39, 39);
    shape[n]->setToolTip(slot);
    shape[n]->setProperty("tag", n + 1);
    shape[n]->setAccessibleName("Rack place " + slot);
    shape[n]->onRelease = [this, n](QMouseEvent* e) { shape_1MouseUp(n + 1, e); };
    shape[n]->onMove = [this, n](QMouseEvent* e) { pointerMoved(shape[n], e); };
  }
  for (int n = 0; n < korvel::client::kRackSlots; ++n) {
    letter[n] = new MouseLabel(panel_board);
    letter[n]->setObjectName(QString("letter_%1").arg(n + 1));
    letter[n]->setGeometry(korvel::client::kRackHome[n], korvel::client::kRackTop, 39, 39);
    letter[n]->setToolTip(QString::number(n + 1));
    letter[n]->onRelease = [this, n](QMouseEvent* e) { letter_2MouseUp(n + 1, e); };
    letter[n]->onMove = [this, n](QMouseEvent* e) { pointerMoved(letter[n], e); };
    shownCode_[n] = -2;  // nothing drawn yet
  }

  label_status = new QLabel("Welcome to Korvel", panel_board);
  label_status->setGeometry(3, 522, 430, 16);
  label_status->setObjectName("label_status");
  label_status->setFont(arial(13, true));
  label_status->setAlignment(Qt::AlignCenter);
  label_status->setAccessibleName(label_status->text());

  button_start = new PictureButton(&artwork::startButton, "Start Game", panel_board);
  button_start->setCursor(Qt::PointingHandCursor);
  button_start->setGeometry(156, 228, 120, 26);
  button_start->setObjectName("button_start");
  button_start->hide();
  connect(button_start, &QAbstractButton::clicked, this, [this] { button_startClick(); });

  panel_winner = new QWidget(panel_board);
  panel_winner->setGeometry(4, 168, 423, 41);
  panel_winner->setObjectName("panel_winner");
  panel_winner->setAutoFillBackground(true);
  QPalette winnerPal = panel_winner->palette();
  winnerPal.setColor(QPalette::Window, QColor(247, 242, 166));
  panel_winner->setPalette(winnerPal);
  label_winner2 = new QLabel("Winner!", panel_winner);
  label_winner2->setGeometry(2, 11, 417, 19);
  label_winner2->setObjectName("label_winner2");
  label_winner1 = new QLabel("Winner!", panel_winner);
  label_winner1->setGeometry(1, 12, 417, 19);
  label_winner1->setObjectName("label_winner1");
  for (QLabel* label : {label_winner2, label_winner1}) {
    label->setFont(arial(16, true));
    label->setAlignment(Qt::AlignCenter);
  }
  // The grey one lies one pixel off and reads as the black one's shadow.
  label_winner2->setStyleSheet("color: grey");
  label_winner1->setStyleSheet("color: black");
  panel_winner->hide();
}

void Tchat::buildSeats() {
  const qreal dpr = devicePixelRatioF();
  Label1 = new QLabel("TILES LEFT", panel_board);
  Label1->setGeometry(433, 0, 73, 16);
  Label1->setObjectName("Label1");
  QFont underlined = arial(13, true);
  underlined.setUnderline(true);
  Label1->setFont(underlined);
  label_tilesleft = new QLabel(panel_board);
  label_tilesleft->setGeometry(433, 18, 73, 22);
  label_tilesleft->setObjectName("label_tilesleft");
  label_tilesleft->setFont(arial(19, true));

  image_Turn = picture(panel_board, artwork::turnMarker(dpr), QRect(495, 63, 8, 45));
  image_Turn->setAccessibleName("Turn marker");
  image_Turn->setObjectName("image_Turn");
  for (int n = 0; n < korvel::client::kSeats; ++n) {
    const int top = korvel::client::kSeatTop[n];
    const int scoreTop = std::array{89, 140, 191, 242}[n];
    image_eyes[n] = picture(panel_board, artwork::eyes(dpr),
                            QRect(504, std::array{66, 117, 168, 220}[n], 17, 14));
    image_eyes[n]->setAccessibleName("Just watching");
    image_eyes[n]->setObjectName(QString("image_eyes%1").arg(n + 1));
    image_eyes[n]->hide();
    label_playername[n] = new MouseLabel(panel_board);
    label_playername[n]->setGeometry(517, top, 121, 20);
    label_playername[n]->setObjectName(QString("label_playername%1").arg(n + 1));
    label_playername[n]->setFont(arial(16, true));
    label_playername[n]->setProperty("tag", n + 1);
    label_playername[n]->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(label_playername[n], &QWidget::customContextMenuRequested, this,
            [this, n](const QPoint& pos) {
              label_playername1ContextPopup(n + 1, label_playername[n]->mapToGlobal(pos));
            });
    label_score[n] = new QLabel(panel_board);
    label_score[n]->move(531, scoreTop);
    label_score[n]->setObjectName(QString("label_score%1").arg(n + 1));
    label_score[n]->setFont(arial(16, true));
    label_bonus[n] = new QLabel(panel_board);
    label_bonus[n]->move(579, scoreTop);
    label_bonus[n]->setObjectName(QString("label_bonus%1").arg(n + 1));
    label_bonus[n]->setFont(arial(16, true));
  }

  listbox_words = new QListWidget(panel_board);
  listbox_words->setGeometry(646, 43, 113, 221);
  listbox_words->setObjectName("listbox_words");
  listbox_words->setFont(arial(16));
  listbox_words->setAccessibleName("Words of the last move");
  QPalette wordsPal = listbox_words->palette();
  wordsPal.setColor(QPalette::Base, QColor(252, 251, 201));
  listbox_words->setPalette(wordsPal);
  listbox_words->setFocusPolicy(Qt::NoFocus);

  spylist = new QStringListModel(this);
}
