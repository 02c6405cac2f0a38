#pragma once
#include <QDialog>

class QLabel;

// The about box; its version label holds the version text that the login sends.
class Tabout : public QDialog {
  Q_OBJECT
 public:
  explicit Tabout(QWidget* parent = nullptr);
  QLabel* label_version = nullptr;
};
