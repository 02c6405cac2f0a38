#pragma once
#include <QDialog>

// The phrase button editor.
class Tphrases : public QDialog {
  Q_OBJECT
 public:
  explicit Tphrases(QWidget* parent = nullptr);
};
