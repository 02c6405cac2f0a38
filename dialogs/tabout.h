#pragma once
// The about box: the logo, the maker's web address as a link, the version, the word list's
// source and licence, and the Qt version the program runs on.

#include <QDialog>

class MouseLabel;
class QLabel;
class QPushButton;
class QTextBrowser;

class Tabout : public QDialog {
  Q_OBJECT
 public:
  explicit Tabout(QWidget* parent = nullptr);

  // Opens the maker's web site (the link and the logo).
  void label_urlClick();
  // "Done".
  void Button1Click();

  MouseLabel* image_aboutlogo = nullptr;
  MouseLabel* label_url = nullptr;
  QLabel* version = nullptr;        // the version text the login sends, "1.0.2"
  QLabel* label_credits = nullptr;  // the word list's source
  QLabel* label_qt = nullptr;       // the Qt version the program runs on
  QTextBrowser* licence = nullptr;
  QPushButton* button_done = nullptr;
};
