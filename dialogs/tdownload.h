#pragma once
// The lobby download dialog, shown once at a solo start: download and start the lobby's
// installer, open an installed lobby, or go on playing solo. Modeless, on top, centred on the
// desktop.

#include <QDialog>
#include <filesystem>
#include <functional>
#include <string>

class HttpCli;
class QCheckBox;
class QLabel;
class QPushButton;

class Tdownload : public QDialog {
  Q_OBJECT
 public:
  explicit Tdownload(QWidget* parent = nullptr);
  ~Tdownload() override;

  // Closes the game (the main window's "Exit"), after the installer or the lobby has started.
  std::function<void()> exitGame;
  // Where the installer comes from: KORVEL_LOBBY_INSTALLER_URL, else the maker's address.
  std::string installerUrl;
  // Where it is saved: the program's folder, or the per-user data folder when that is not
  // writable.
  std::filesystem::path folder;
  // Where an installed lobby is.
  QString lobbyPath;
  // "Play with Others" when no lobby is installed: the game's own Play with Others window.
  std::function<void()> playWithOthers;
  // "Don't show this again" was ticked (true) or cleared by the user.
  std::function<void(bool)> dontShowChanged;

  // Outcome of the last download: 1 running or ended normally, 2 stopped or failed.
  int outcome() const;

  void getbuttonClick();
  void abortbuttonClick();
  void Button2Click();  // "Play with Others"
  void Button1Click();  // "Play Solo Game"

  HttpCli* HttpCli1 = nullptr;
  QLabel* image_banner = nullptr;
  QPushButton* getbutton = nullptr;
  QPushButton* abortbutton = nullptr;
  QLabel* infolabel = nullptr;   // progress line
  QLabel* infolabel2 = nullptr;  // the installer's file name (hidden)
  QLabel* infolabel3 = nullptr;  // second status line
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;
  QCheckBox* dontshow = nullptr;  // "Don't show this again"

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void setOutcome(int flag);
  void requestDone(bool ok, quint64 size);
  void install();

  std::string installerName_;  // the file name shown in infolabel2, as bytes
};
