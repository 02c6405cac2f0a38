#pragma once
#include <QDialog>

// The spectator list (filled by the spectator issue).
class Tspylist : public QDialog {
  Q_OBJECT
 public:
  explicit Tspylist(QWidget* parent = nullptr);
};
