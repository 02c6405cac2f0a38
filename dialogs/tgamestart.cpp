#include "dialogs/tgamestart.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSpinBox>
#include <algorithm>

#include "app/computer_player_count.h"
#include "protocol/message.h"
#include "window/artwork.h"
#include "window/picture_button.h"

namespace {

QFont arial(int pixels, bool bold = false) {
  QFont f("Arial");
  f.setPixelSize(pixels);
  f.setBold(bold);
  return f;
}

// A counter whose number box cannot be typed into: only the arrows (and the arrow keys) change
// it, and it never wraps around. Returns the number box.
QLineEdit* setUpCounter(QSpinBox* counter, int low, int high, int step, int value,
                        const QString& name) {
  counter->setRange(low, high);
  counter->setSingleStep(step);
  counter->setWrapping(false);
  counter->setValue(value);
  counter->setAccessibleName(name);
  counter->setFont(arial(13));
  counter->setFixedWidth(64);
  // The box's own read-only flag would also stop the arrows, so only its text field is locked.
  auto* box = counter->findChild<QLineEdit*>();
  box->setReadOnly(true);
  box->setAccessibleName(name);
  return box;
}

}  // namespace

Tgamestart::Tgamestart(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Korvel - Game Start");
  setAccessibleName("Korvel - Game Start");
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  setAutoFillBackground(true);

  label_title = new QLabel("Game Option", this);
  label_title->setFont(arial(16, true));
  label_title->setAccessibleName("Game Option");

  label_creationtime = new QLabel("Creation Time:", this);
  UpDown2 = new QSpinBox(this);
  UpDown2->setObjectName("UpDown2");
  edit_creationtime = setUpCounter(UpDown2, 45, 120, 5, 60, "Creation Time");
  edit_creationtime->setObjectName("edit_creationtime");

  label_computerplayers = new QLabel("Computer Players:", this);
  UpDown3 = new QSpinBox(this);
  UpDown3->setObjectName("UpDown3");
  edit_computerplayers = setUpCounter(UpDown3, 0, 3, 1, 0, "Computer Players");
  edit_computerplayers->setObjectName("edit_computerplayers");

  label_computerlevel = new QLabel("Computer Level:", this);
  combo_computerlevel = new QComboBox(this);
  combo_computerlevel->setObjectName("combo_computerlevel");
  combo_computerlevel->setAccessibleName("Computer Level");
  combo_computerlevel->setFont(arial(13));
  for (korvel::bot::Level level : korvel::bot::kLevels) {
    combo_computerlevel->addItem(QString::fromUtf8(korvel::bot::levelName(level)));
    combo_computerlevel->setItemData(combo_computerlevel->count() - 1,
                                     QString::fromUtf8(korvel::bot::levelSummary(level)),
                                     Qt::ToolTipRole);
  }
  label_levelsummary = new QLabel(this);
  label_levelsummary->setFont(arial(11));
  label_levelsummary->setTextFormat(Qt::PlainText);
  connect(combo_computerlevel, &QComboBox::currentIndexChanged, this,
          [this] { showLevelSummary(); });
  setComputerLevel(korvel::bot::Level::Easy);
  // The drop-down list and its frame are widgets of their own that a screen reader names too.
  combo_computerlevel->view()->setAccessibleName("Computer Level");
  for (QWidget* part : combo_computerlevel->findChildren<QWidget*>()) {
    if (part->accessibleName().isEmpty()) part->setAccessibleName("Computer Level");
  }

  label_keepseat = new QLabel("Keep a Dropped Seat:", this);
  UpDown4 = new QSpinBox(this);
  UpDown4->setObjectName("UpDown4");
  edit_keepseat = setUpCounter(UpDown4, 0, 10, 1, 3, "Keep a Dropped Seat");
  edit_keepseat->setObjectName("edit_keepseat");
  UpDown4->setSuffix(" min");
  UpDown4->setFixedWidth(80);
  UpDown4->setToolTip("Minutes a player whose connection drops can come back to the same seat");

  label_playtoscore = new QLabel("Play to Score:", this);
  UpDown1 = new QSpinBox(this);
  UpDown1->setObjectName("UpDown1");
  edit_playtoscore = setUpCounter(UpDown1, 30, 100, 1, 30, "Play to Score");
  edit_playtoscore->setObjectName("edit_playtoscore");

  label_team = new QLabel("Team Game", this);
  image_team = new QLabel(this);
  image_team->setAccessibleName("Team Game");
  image_team->setFixedSize(artwork::kCheckBoxSize);
  image_team->setCursor(Qt::PointingHandCursor);
  image_team->installEventFilter(this);

  for (QLabel* label : {label_creationtime, label_computerplayers, label_computerlevel,
                        label_keepseat, label_playtoscore, label_team}) {
    label->setFont(arial(13));
    label->setAccessibleName(label->text());
  }
  label_creationtime->setBuddy(UpDown2);
  label_computerplayers->setBuddy(UpDown3);
  label_computerlevel->setBuddy(combo_computerlevel);
  label_keepseat->setBuddy(UpDown4);
  label_playtoscore->setBuddy(UpDown1);

  button_start = new PictureButton(artwork::startButton, "Start Game", this);
  button_start->setDefault(true);
  connect(button_start, &QPushButton::clicked, this, &Tgamestart::button_startClick);

  // The layout skips hidden rows and fixes the dialog at the size of what is shown.
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(18, 14, 18, 16);
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(12);
  grid->addWidget(label_title, 0, 0, 1, 4);
  grid->addWidget(label_creationtime, 1, 0, Qt::AlignRight);
  grid->addWidget(UpDown2, 1, 1, Qt::AlignLeft);
  grid->addWidget(label_computerplayers, 2, 0, Qt::AlignRight);
  grid->addWidget(UpDown3, 2, 1, Qt::AlignLeft);
  grid->addWidget(label_computerlevel, 2, 2, Qt::AlignRight);
  grid->addWidget(combo_computerlevel, 2, 3, Qt::AlignLeft);
  grid->addWidget(label_levelsummary, 3, 2, 1, 2, Qt::AlignLeft);
  grid->addWidget(label_keepseat, 3, 0, Qt::AlignRight);
  grid->addWidget(UpDown4, 3, 1, Qt::AlignLeft);
  grid->addWidget(label_playtoscore, 4, 0, Qt::AlignRight);
  grid->addWidget(UpDown1, 4, 1, Qt::AlignLeft);
  grid->addWidget(label_team, 5, 0, Qt::AlignRight);
  grid->addWidget(image_team, 5, 1, Qt::AlignLeft);
  grid->addWidget(button_start, 6, 0, 1, 4, Qt::AlignHCenter);
  grid->setSizeConstraint(QLayout::SetFixedSize);

  for (QWidget* hidden : {static_cast<QWidget*>(label_playtoscore), static_cast<QWidget*>(UpDown1),
                          static_cast<QWidget*>(label_team), static_cast<QWidget*>(image_team)})
    hidden->hide();
  setTeam(1);
  UpDown2->setFocus();
}

void Tgamestart::setCreationTime(int seconds) {
  UpDown2->setValue(seconds);
}
int Tgamestart::creationTime() const {
  return UpDown2->value();
}
void Tgamestart::setPlayToScore(int score) {
  UpDown1->setValue(score);
}
int Tgamestart::playToScore() const {
  return UpDown1->value();
}

void Tgamestart::setComputerPlayers(int count) {
  UpDown3->setValue(count);
}
int Tgamestart::computerPlayers() const {
  return UpDown3->value();
}

void Tgamestart::setComputerLevel(korvel::bot::Level level) {
  combo_computerlevel->setCurrentIndex(static_cast<int>(level));
  showLevelSummary();
}

void Tgamestart::showLevelSummary() {
  const QString summary = QString::fromUtf8(korvel::bot::levelSummary(computerLevel()));
  label_levelsummary->setText(summary);
  label_levelsummary->setAccessibleName(summary);
  combo_computerlevel->setToolTip(summary);
}
korvel::bot::Level Tgamestart::computerLevel() const {
  const int index = combo_computerlevel->currentIndex();
  return index >= 0 && index < static_cast<int>(korvel::bot::kLevels.size())
             ? korvel::bot::kLevels[static_cast<std::size_t>(index)]
             : korvel::bot::Level::Normal;
}

void Tgamestart::setSolo(bool solo) {
  solo_ = solo;
  setComputerPlayers(korvel::app::openingComputerPlayers(solo));
}

void Tgamestart::applySavedComputerPlayers(std::optional<int> saved) {
  if (const auto count = korvel::app::loadedComputerPlayers(solo_, saved)) {
    setComputerPlayers(*count);
  }
}

std::optional<int> Tgamestart::computerPlayersToSave() const {
  return korvel::app::computerPlayersToSave(solo_, computerPlayers());
}

void Tgamestart::setKeepDroppedSeat(int minutes) {
  UpDown4->setValue(std::clamp(minutes, UpDown4->minimum(), UpDown4->maximum()));
}

int Tgamestart::keepDroppedSeat() const {
  return UpDown4->value();
}

void Tgamestart::setTeam(int flag) {
  team_ = std::clamp(flag, 0, 1);
  image_team->setPixmap(artwork::checkBox(team_ == 1, devicePixelRatioF()));
}

void Tgamestart::image_teamClick() {
  setTeam(team_ == 0 ? 1 : 0);
}

void Tgamestart::button_startClick() {
  const std::string name = playername ? playername() : std::string();
  // The counters' own text follows the system's digits (Arabic-Indic under an Arabic locale);
  // the server reads ASCII decimal only. The builder cleans the name as the login does.
  const std::string message = korvel::protocol::toserver::startgame(
      name, std::to_string(UpDown1->value()), std::to_string(UpDown2->value()),
      std::to_string(team_));
  if (keepseat) keepseat(keepDroppedSeat() * 60);
  if (send) send(message);
  hide();
  if (savesettings) savesettings();
}

void Tgamestart::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  QWidget* over = centreOver ? centreOver : parentWidget();
  if (!over) return;
  const QRect frame = frameGeometry();
  // QRect::center() of a rect W wide lies (W - 1) / 2 from its left edge.
  move(over->window()->frameGeometry().center() -
       QPoint((frame.width() - 1) / 2, (frame.height() - 1) / 2));
}

bool Tgamestart::eventFilter(QObject* watched, QEvent* event) {
  if (watched == image_team && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    image_teamClick();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}
