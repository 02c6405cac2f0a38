#pragma once
// The "Play with Others" window: host a game for others or join one, without a terminal. It
// takes the player's name (kept in the settings file), the host's address (a name, an address,
// "address:port" or an invitation link) and lists the hosts joined lately. What it decides it
// hands on as a command line, the same `NAME ADDRESS true|false` a terminal would give; the
// program starts itself again with it. Modeless.

#include <QDialog>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QVBoxLayout;

class TPlayWithOthers : public QDialog {
  Q_OBJECT
 public:
  explicit TPlayWithOthers(QWidget* parent = nullptr);
  ~TPlayWithOthers() override;

  // A start the window decided: the command line and the game port the new copy uses.
  struct StartRequest {
    QStringList arguments;
    int port = 0;
    // Hosting: ask the router to forward the port (KORVEL_PORT_MAPPING=1 for the new copy).
    bool portMapping = false;
  };
  std::function<void(const StartRequest&)> start;

  // The window it opens centred over the first time (the main window).
  QWidget* centreOver = nullptr;
  // The game port of this copy: hosting listens there, an address without a port joins there.
  int gamePort = 7772;
  // The settings file holding the name and the recent hosts; empty keeps nothing.
  std::filesystem::path settingsFile;
  // The account's name and full name for the first default.
  std::string accountLogin;
  std::string accountFullName;
  // Host names are looked up before the window hands a join on; tests replace the lookup. It
  // answers through `done` with whether the name has an IPv4 address, at most
  // kConnectTimeoutSeconds later.
  std::function<void(const QString& name, std::function<void(bool found)> done)> lookUpName;

  // Reads the saved name and recent hosts, then shows and raises the window.
  void open();
  // Opens with an invitation link in the address field: a link that does not read gets its
  // reason under the field; a good one leaves the window ready to join with Enter.
  void openWithLink(const QString& link);
  // A join that this copy made failed: the address back in the field, the reason under it.
  void showJoinFailure(const QString& address, const QString& reason);

  void HostClick();
  void JoinClick();

  QLineEdit* nameEdit = nullptr;       // "Your Name"
  QLabel* nameMessage = nullptr;       // under the name
  QPushButton* hostButton = nullptr;   // "Host a Game"
  QLabel* hostNote = nullptr;          // the port others must reach
  QCheckBox* routerPortBox = nullptr;  // "Open the port on my router"
  QLineEdit* addressEdit = nullptr;    // "Host Address"
  QPushButton* joinButton = nullptr;   // "Join"
  QLabel* addressMessage = nullptr;    // under the address
  QListWidget* recentList = nullptr;   // "Recent Hosts"
  // The spot for the list of games found on this network (filled by its own widget).
  QVBoxLayout* networkGamesArea = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void loadSaved();
  // The cleaned name, saved; empty (with the reason shown) when it cannot be used.
  std::string checkedName();
  void setMessage(QLabel* label, const QString& text);
  void recentActivated(QListWidgetItem* item);
  void finishJoin(const std::string& name, const std::string& host, int port);

  std::vector<std::string> recent_;
  // A name lookup before a join: its answer counts only while lookup_ is still its number.
  void cancelLookUp();
  bool lookingUp_ = false;
  int lookup_ = 0;
  bool placed_ = false;
};
