#include "dialogs/ttallylist.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "app/failure_text.h"
#include "dialogs/dialog_look.h"
#include "shell/message_boxes.h"
#include "window/peer_text.h"

using dialoglook::arial;

namespace {

// A name item shows the name decoded and keeps the bytes the tally holds, so following,
// matching and dropping use exactly what was received, whatever encoding the peer used.
QListWidgetItem* nameItem(const std::string& name, QListWidget* list) {
  auto* item = new QListWidgetItem(peerText(name), list);
  item->setData(Qt::UserRole, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
  item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
  return item;
}

std::string nameBytes(const QListWidgetItem* item) {
  return item->data(Qt::UserRole).toByteArray().toStdString();
}

constexpr const char* kNoOpponentTop = "Player's Tally";
constexpr const char* kNoOpponentWins = "Player Wins:";

QListWidget* checkList(QWidget* parent, const QString& name) {
  auto* list = new QListWidget(parent);
  list->setAccessibleName(name);
  list->setFont(arial(13));
  list->setFixedSize(170, 110);
  return list;
}

}  // namespace

Ttallylist::Ttallylist(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Korvel - Tally List");
  setAccessibleName("Korvel - Tally List");
  setFont(arial(13));

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(14, 12, 14, 12);
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(6);

  auto* own = new QGridLayout;
  own->setHorizontalSpacing(8);
  const char* ownCaptions[] = {"Total Games:", "Your Wins", "", ""};
  for (int n = 0; n < 4; ++n) {
    auto* caption = new QLabel(ownCaptions[n], this);
    caption->setFont(arial(13, true));
    mylabel[n] = new QLabel("0", this);
    mylabel[n]->setObjectName(QString("mylabel_%1").arg(n + 1));
    mylabel[n]->setFont(arial(13, true));
    mylabel[n]->setAccessibleName(ownCaptions[n]);
    mylabel[n]->setMinimumWidth(40);
    own->addWidget(caption, 0, 2 * n);
    own->addWidget(mylabel[n], 0, 2 * n + 1);
    // Columns 3 and 4 of the own row are never counted.
    if (n >= 2) {
      caption->hide();
      mylabel[n]->hide();
    }
  }
  own->setColumnStretch(8, 1);
  grid->addLayout(own, 0, 0, 1, 2);

  auto* tallied = new QLabel("Players Being Tallied", this);
  tallied->setFont(arial(13, true));
  listbox_tally = checkList(this, "Players Being Tallied");
  auto* current = new QLabel("Players In Current Game", this);
  current->setFont(arial(13, true));
  checklist = checkList(this, "Players In Current Game");
  grid->addWidget(tallied, 1, 0);
  grid->addWidget(listbox_tally, 2, 0);
  grid->addWidget(current, 3, 0);
  grid->addWidget(checklist, 4, 0);

  auto* figures = new QGridLayout;
  figures->setHorizontalSpacing(14);
  label_hisnametop = new QLabel(kNoOpponentTop, this);
  label_hisnametop->setFont(arial(15, true));
  figures->addWidget(label_hisnametop, 0, 0, 1, 3);
  auto* total = new QLabel("Total", this);
  auto* session = new QLabel("Session", this);
  for (QLabel* head : {total, session}) head->setFont(arial(13, true));
  figures->addWidget(total, 1, 1);
  figures->addWidget(session, 1, 2);
  label_hisname = new QLabel(kNoOpponentWins, this);
  QLabel* rowCaptions[] = {new QLabel("Number of Games", this), label_hisname,
                           new QLabel("Your Wins:", this), new QLabel("Neither Won:", this)};
  for (int row = 0; row < 4; ++row) {
    figures->addWidget(rowCaptions[row], row + 2, 0);
    for (int run = 0; run < 2; ++run) {
      const int n = row + 4 * run;
      label[n] = new QLabel("0", this);
      label[n]->setObjectName(QString("label_%1").arg(n + 1));
      label[n]->setFont(arial(13, true));
      label[n]->setMinimumWidth(40);
      label[n]->setAccessibleName(rowCaptions[row]->text() + (run ? " (Session)" : " (Total)"));
      figures->addWidget(label[n], row + 2, run + 1);
    }
  }
  figures->setRowStretch(6, 1);
  grid->addLayout(figures, 1, 1, 4, 1);

  button_reset = new QPushButton("Reset Tally", this);
  button_done = new QPushButton("Done", this);
  grid->addWidget(button_reset, 5, 0, Qt::AlignLeft);
  grid->addWidget(button_done, 5, 1, Qt::AlignRight);

  connect(listbox_tally, &QListWidget::currentRowChanged, this, [this] { listbox_tallyClick(); });
  // A toggle is handled once the click that made it has finished: the handler rebuilds the
  // list, and asks a question first.
  connect(listbox_tally, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (filling_) return;
    QMetaObject::invokeMethod(
        this, [this, row = listbox_tally->row(item)] { listbox_tallyClickCheck(row); },
        Qt::QueuedConnection);
  });
  connect(checklist, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (filling_) return;
    QMetaObject::invokeMethod(
        this, [this, row = checklist->row(item)] { checklistClickCheck(row); },
        Qt::QueuedConnection);
  });
  connect(button_reset, &QPushButton::clicked, this, [this] { button_resetClick(); });
  connect(button_done, &QPushButton::clicked, this, [this] { button_doneClick(); });

  dialoglook::useWindowBackground(this);
}

Ttallylist::~Ttallylist() = default;

void Ttallylist::loadFrom(const std::filesystem::path& file) {
  store_ = std::make_unique<korvel::records::TallyStore>(file);
  if (auto error = store_->load()) messageBoxes().showMessage(peerText(*error));
  loadtally();
}

std::vector<std::string> Ttallylist::followed() const {
  return store_ ? store_->record().followed() : std::vector<std::string>{};
}

void Ttallylist::loadtally() {
  const bool wasFilling = std::exchange(filling_, true);
  for (int n = 0; n < 4; ++n) {
    setPeerText(mylabel[n], store_ ? store_->record().cell(n + 1, 0) : std::string("0"));
  }
  const std::string selected =
      listbox_tally->currentItem() ? nameBytes(listbox_tally->currentItem()) : std::string();
  const auto names = followed();
  listbox_tally->clear();
  int current = -1;
  for (const auto& name : names) {
    auto* item = nameItem(name, listbox_tally);
    item->setCheckState(Qt::Checked);
    if (name == selected && current < 0) current = listbox_tally->row(item);
  }
  listbox_tally->setCurrentRow(current);
  for (int row = 0; row < checklist->count(); ++row) {
    QListWidgetItem* item = checklist->item(row);
    const bool isFollowed = store_ && store_->record().indexOfFollowed(nameBytes(item)) >= 0;
    item->setCheckState(isFollowed ? Qt::Checked : Qt::Unchecked);
  }
  filling_ = wasFilling;
  showOpponent(current);
}

void Ttallylist::showOpponent(int index) {
  const int row = index + 1;
  if (!store_ || index < 0 || row >= store_->record().grid().rowCount()) {
    label_hisnametop->setText(kNoOpponentTop);
    label_hisname->setText(kNoOpponentWins);
    for (QLabel* l : label) l->setText("0");
    return;
  }
  const auto& record = store_->record();
  const QString name = peerText(record.cell(0, row));
  setPeerText(label_hisnametop, name + "'s Tally");
  setPeerText(label_hisname, name + " Wins:");
  for (int col = 1; col <= 8; ++col) setPeerText(label[col - 1], record.cell(col, row));
}

void Ttallylist::loadchecklist(const std::vector<std::string>& others) {
  const bool wasFilling = std::exchange(filling_, true);
  checklist->clear();
  for (const auto& name : others) {
    auto* item = nameItem(name, checklist);
    const bool isFollowed = store_ && store_->record().indexOfFollowed(name) >= 0;
    item->setCheckState(isFollowed ? Qt::Checked : Qt::Unchecked);
  }
  filling_ = wasFilling;
}

void Ttallylist::addgame(const std::string& winner, bool mine,
                         const std::vector<std::string>& others) {
  loadchecklist(others);
  if (!store_) return;
  try {
    store_->addgame(winner, mine, others);
  } catch (const korvel::records::TallyConversionError& e) {
    // A counter that is not a number stops this update; what was counted before is saved.
    messageBoxes().showMessage(
        peerText(korvel::app::failureText("The tally could not count this game", e)));
  }
  loadtally();
}

void Ttallylist::checklistClickCheck(int index) {
  QListWidgetItem* item = checklist->item(index);
  if (item == nullptr || !store_) return;
  // Unticking does not stop following; the tick always shows whether the player is followed.
  store_->follow(nameBytes(item));
  loadtally();
}

void Ttallylist::listbox_tallyClickCheck(int index) {
  QListWidgetItem* item = listbox_tally->item(index);
  if (item == nullptr || !store_ || item->checkState() == Qt::Checked) return;
  const std::string name = nameBytes(item);
  const bool yes = messageBoxes().askYesNo("This will delete " + item->text() +
                                           "'s Tally, Are you want to delete it?");
  // The question waits in an event loop where a game may end; find the row again.
  const int now = store_->record().indexOfFollowed(name);
  if (yes && now >= 0) store_->drop(now);
  loadtally();
}

void Ttallylist::listbox_tallyClick() {
  showOpponent(listbox_tally->currentRow());
}

void Ttallylist::button_resetClick() {
  if (!messageBoxes().askYesNo("Are you sure you want to reset the Tally?")) return;
  if (store_) store_->reset();
  loadtally();
}

void Ttallylist::button_doneClick() {
  hide();
}
