#pragma once
// The spy list: the spectators of the game ("n: name", kept by the main window) in a small
// always-on-top window; the host removes one from its context menu.

#include <QDialog>
#include <QString>
#include <functional>

class QAbstractItemModel;
class QAction;
class QListView;
class QMenu;

class Tspylist : public QDialog {
  Q_OBJECT
 public:
  explicit Tspylist(QWidget* parent = nullptr);

  // Hooks the program sets: whether this process hosts the game, and the removal request for a
  // seat (the client's `kicking`).
  std::function<bool()> hosting;
  std::function<void(int seat)> kicking;

  // The list shows this model's rows.
  void setModel(QAbstractItemModel* model);

  // The pointer moved over the list (viewport coordinates): the entry under it, -1 for none.
  void listbox_spysMouseMove(const QPoint& pos);
  int pointed() const { return pointed_; }
  // "Remove From Game": removes the pointed spectator.
  void popup_kickhimClick();
  void button_doneClick();

  QListView* listbox_spys = nullptr;
  QMenu* popup_spys = nullptr;
  QAction* popup_kickhim = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int pointed_ = -1;
  QString pointedText_;  // the pointed entry's text when it was pointed at
};
