#include "dialogs/tspylist.h"

#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "dialogs/dialog_look.h"

using dialoglook::arial;

Tspylist::Tspylist(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint) {
  setWindowTitle("Korvel - Spys");
  setAccessibleName("Korvel - Spys");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 10, 12, 12);
  auto* caption = new QLabel("Spy List", this);
  caption->setFont(arial(16, true));
  layout->addWidget(caption);

  listbox_spys = new QListView(this);
  listbox_spys->setAccessibleName("Spy List");
  listbox_spys->setFont(arial(13));
  listbox_spys->setFixedSize(180, 140);
  listbox_spys->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QPalette list = listbox_spys->palette();
  list.setColor(QPalette::Base, QColor(0xFD, 0xFC, 0xE3));  // the chat view's colour
  listbox_spys->setPalette(list);
  listbox_spys->setMouseTracking(true);
  listbox_spys->viewport()->installEventFilter(this);
  listbox_spys->setContextMenuPolicy(Qt::CustomContextMenu);
  layout->addWidget(listbox_spys);

  popup_spys = new QMenu(this);
  popup_kickhim = popup_spys->addAction("Remove From Game", this, [this] { popup_kickhimClick(); });
  popup_kickhim->setEnabled(false);
  connect(listbox_spys, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    listbox_spysMouseMove(pos);
    popup_kickhim->setEnabled(hosting && hosting());
    popup_spys->popup(listbox_spys->viewport()->mapToGlobal(pos));
  });

  auto* done = new QPushButton("Done", this);
  connect(done, &QPushButton::clicked, this, [this] { button_doneClick(); });
  layout->addWidget(done, 0, Qt::AlignHCenter);
  dialoglook::useWindowBackground(this);
}

void Tspylist::setModel(QAbstractItemModel* model) {
  listbox_spys->setModel(model);
}

void Tspylist::listbox_spysMouseMove(const QPoint& pos) {
  const QModelIndex index = listbox_spys->indexAt(pos);
  pointed_ = index.isValid() ? index.row() : -1;
  pointedText_ = index.isValid() ? index.data().toString() : QString();
}

void Tspylist::popup_kickhimClick() {
  QAbstractItemModel* model = listbox_spys->model();
  if (pointed_ < 0 || model == nullptr) return;
  // The list may have changed since the entry was pointed at (a spectator left while the menu
  // was open): the removal is for the spectator that was pointed at, or nobody.
  bool present = false;
  for (int row = 0; row < model->rowCount() && !present; ++row)
    present = model->index(row, 0).data().toString() == pointedText_;
  if (!present) return;
  bool ok = false;
  const int seat = pointedText_.section(':', 0, 0).toInt(&ok);
  if (ok && kicking) kicking(seat);
}

void Tspylist::button_doneClick() {
  hide();
}

bool Tspylist::eventFilter(QObject* watched, QEvent* event) {
  if (watched == listbox_spys->viewport() && event->type() == QEvent::MouseMove)
    listbox_spysMouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
  return QDialog::eventFilter(watched, event);
}
