#pragma once
#include <QDialog>

// The help pages.
class Thelp : public QDialog {
  Q_OBJECT
 public:
  explicit Thelp(QWidget* parent = nullptr);
};
