#pragma once
#include <QDialog>

// The tally list.
class Ttallylist : public QDialog {
  Q_OBJECT
 public:
  explicit Ttallylist(QWidget* parent = nullptr);
};
