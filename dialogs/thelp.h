#pragma once
// The help pages: a column of topic buttons beside a heading and a stack of read-only pages
// "memo" + the topic's number. Hiding keeps the page last shown.

#include <QDialog>
#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QStackedWidget;
class QTextBrowser;

class Thelp : public QDialog {
  Q_OBJECT
 public:
  explicit Thelp(QWidget* parent = nullptr);

  // Shows the about box ("About").
  std::function<void()> showAbout;

  // A topic button was pressed: its page comes to the front under its caption.
  void SelButton1Click(QPushButton* sender);
  void button_aboutClick();
  void button_doneClick();

  // The page in front.
  QTextBrowser* currentPage() const;

  std::vector<QPushButton*> SelButton;  // `SelButton1` ... from the top, tag in property "tag"
  QLabel* label_caption = nullptr;
  QStackedWidget* pages = nullptr;
  QPushButton* button_about = nullptr;
  QPushButton* button_done = nullptr;
};
