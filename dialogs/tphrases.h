#pragma once
// The phrase button editor: nine boxes for the phrases of the main window's phrase buttons.
// "Done" hands them back; closing it any other way changes nothing.

#include <QDialog>
#include <array>
#include <functional>
#include <string>

class QLineEdit;
class QPushButton;

class Tphrases : public QDialog {
  Q_OBJECT
 public:
  using Phrases = std::array<std::string, 9>;
  explicit Tphrases(QWidget* parent = nullptr);

  // Applies and stores the edited phrases (set by the program).
  std::function<void(const Phrases&)> done;
  // Window to centre over when shown.
  QWidget* centreOver = nullptr;

  // Fills the boxes, then shows the editor without blocking the main window.
  void open(const Phrases& phrases);
  void button_doneClick();

  std::array<QLineEdit*, 9> phrase{};  // `phrase1` to `phrase9`
  QPushButton* button_done = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
};
