#pragma once
#include <QMainWindow>

// The main window: the game client.
class Tchat : public QMainWindow {
  Q_OBJECT
 public:
  explicit Tchat(QWidget* parent = nullptr);
};
