#pragma once
#include <QDialog>

// The game start dialog.
class Tgamestart : public QDialog {
  Q_OBJECT
 public:
  explicit Tgamestart(QWidget* parent = nullptr);
};
