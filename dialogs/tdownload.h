#pragma once
#include <QDialog>

// The lobby download dialog.
class Tdownload : public QDialog {
  Q_OBJECT
 public:
  explicit Tdownload(QWidget* parent = nullptr);
};
