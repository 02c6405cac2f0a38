// The Play with Others window: what it hands on as a command line, what it refuses and says,
// what it keeps in the settings file.
#include "dialogs/tplaywithothers.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include "app/recent_hosts.h"
#include "app/settings_file.h"

namespace {

struct Fixture {
  QTemporaryDir dir;
  TPlayWithOthers window;
  std::vector<TPlayWithOthers::StartRequest> starts;
  std::vector<QString> lookedUp;
  bool nameFound = true;
  Fixture() {
    window.settingsFile = dir.filePath("quonlobby.ini").toStdString();
    window.gamePort = 7772;
    window.accountLogin = "ann";
    window.accountFullName = "Ann Lee,Room 4,,";
    window.start = [this](const TPlayWithOthers::StartRequest& r) { starts.push_back(r); };
    window.lookUpName = [this](const QString& name, std::function<void(bool)> done) {
      lookedUp.push_back(name);
      done(nameFound);
    };
  }
  std::string settings() { return korvel::app::readFileBytes(window.settingsFile).value_or(""); }
  void typeAddress(const QString& text) {
    window.addressEdit->clear();
    QTest::keyClicks(window.addressEdit, text);
  }
};

}  // namespace

TEST(TPlayWithOthers, ControlsHaveTheirNamesAndTheNameStartsFromTheAccount) {
  Fixture f;
  f.window.open();
  EXPECT_EQ(f.window.windowTitle(), "Play with Others");
  EXPECT_EQ(f.window.nameEdit->accessibleName(), "Your Name");
  EXPECT_EQ(f.window.hostButton->accessibleName(), "Host a Game");
  EXPECT_EQ(f.window.addressEdit->accessibleName(), "Host Address");
  EXPECT_EQ(f.window.joinButton->accessibleName(), "Join");
  EXPECT_EQ(f.window.routerPortBox->accessibleName(), "Open the port on my router");
  EXPECT_FALSE(f.window.routerPortBox->isChecked());
  EXPECT_EQ(f.window.recentList->accessibleName(), "Recent Hosts");
  EXPECT_EQ(f.window.networkGamesArea->objectName(), "networkGamesArea");
  EXPECT_EQ(f.window.nameEdit->text(), "Ann Lee");
  // Tab goes name, host, address, join, recent hosts: the next widget in the focus chain that
  // takes focus by Tab, as Qt moves it.
  const auto nextTabStop = [](QWidget* from) {
    QWidget* w = from->nextInFocusChain();
    while (w != from && (!(w->focusPolicy() & Qt::TabFocus) || !w->isVisible())) {
      w = w->nextInFocusChain();
    }
    return w;
  };
  const std::vector<QWidget*> order{f.window.nameEdit,      f.window.hostButton,
                                    f.window.routerPortBox, f.window.addressEdit,
                                    f.window.joinButton,    f.window.recentList};
  for (std::size_t n = 0; n + 1 < order.size(); ++n) {
    EXPECT_EQ(nextTabStop(order[n]), order[n + 1]) << order[n]->accessibleName().toStdString();
  }
}

TEST(TPlayWithOthers, HostAndJoinHandOnTheCommandLineAndRememberNameAndHosts) {
  Fixture f;
  f.window.open();
  f.window.nameEdit->setText("  A+nn  ");
  QTest::mouseClick(f.window.hostButton, Qt::LeftButton);
  ASSERT_EQ(f.starts.size(), 1u);
  EXPECT_EQ(f.starts[0].arguments, (QStringList{"Ann", "127.0.0.1", "true"}));
  EXPECT_EQ(f.starts[0].port, 7772);
  EXPECT_FALSE(f.starts[0].portMapping);
  EXPECT_NE(f.settings().find("Playername=Ann"), std::string::npos);
  // "Open the port on my router" goes with the host's command line and is remembered.
  f.window.routerPortBox->click();
  EXPECT_NE(f.settings().find("Openrouterport=true"), std::string::npos) << f.settings();
  f.window.HostClick();
  ASSERT_EQ(f.starts.size(), 2u);
  EXPECT_TRUE(f.starts[1].portMapping);
  f.starts.erase(f.starts.begin());

  // Enter in the address field joins; the port goes to the new copy, not the address.
  f.typeAddress("192.168.1.20:8000");
  QTest::keyClick(f.window.addressEdit, Qt::Key_Return);
  ASSERT_EQ(f.starts.size(), 2u);
  EXPECT_EQ(f.starts[1].arguments, (QStringList{"Ann", "192.168.1.20", "false"}));
  EXPECT_EQ(f.starts[1].port, 8000);
  EXPECT_TRUE(f.lookedUp.empty()) << "numbers are not looked up";

  f.typeAddress("korvel://box.lan/");
  f.window.JoinClick();
  ASSERT_EQ(f.starts.size(), 3u);
  EXPECT_EQ(f.starts[2].arguments, (QStringList{"Ann", "box.lan", "false"}));
  EXPECT_EQ(f.starts[2].port, 7772);
  EXPECT_EQ(f.lookedUp, std::vector<QString>{"box.lan"});
  // A join is not yet a recent host: the joining window keeps it once the host answers.
  EXPECT_EQ(f.settings().find("Recenthosts"), std::string::npos) << f.settings();
  std::string joined = korvel::app::recentHostsAfterJoin("", "192.168.1.20", 8000, 7772);
  joined = korvel::app::recentHostsAfterJoin(joined, "box.lan", 7772, 7772);
  korvel::app::saveKey(f.window.settingsFile, "Korvel", korvel::app::kRecenthostsKey, joined);

  // A new window lists them newest first with the saved name; activating one joins it.
  TPlayWithOthers again;
  again.settingsFile = f.window.settingsFile;
  std::vector<TPlayWithOthers::StartRequest> starts;
  again.start = [&](const TPlayWithOthers::StartRequest& r) { starts.push_back(r); };
  again.open();
  EXPECT_EQ(again.nameEdit->text(), "Ann");
  EXPECT_TRUE(again.routerPortBox->isChecked());
  ASSERT_EQ(again.recentList->count(), 2);
  EXPECT_EQ(again.recentList->item(0)->text(), "box.lan");
  again.recentList->setCurrentRow(1);
  QTest::keyClick(again.recentList, Qt::Key_Return);
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].arguments, (QStringList{"Ann", "192.168.1.20", "false"}));
  EXPECT_EQ(starts[0].port, 8000);
  EXPECT_FALSE(starts[0].portMapping) << "only a host asks the router";
}

TEST(TPlayWithOthers, BadNamesAndAddressesAreToldUnderTheirFieldAndNothingStarts) {
  Fixture f;
  f.window.show();
  struct Case {
    QString name, address, nameMessage, addressMessage;
  } cases[] = {
      {"", "192.168.1.20", "Type the name the other players will see.", ""},
      {"+ +", "192.168.1.20", "A name cannot be made of \"+\" signs alone; type letters or digits.",
       ""},
      {"Ann", "", "", "Type the address of the computer that hosts the game."},
      {"Ann", "192.168.1.20:0", "", "\"0\" is not a port: a port is a number from 1 to 65535."},
      {"Ann", "korvel://box/x", "",
       "The invitation link holds more than an address and a port; it should look like "
       "korvel://192.168.1.20:7772."},
      {"Ann", "[2001:db8::1]:7772", "",
       "Korvel games are reached over IPv4 only; ask the host for an address like 192.168.1.20."},
      // A link-local game from the games list, with its interface.
      {"Ann", "[fe80::1%eth0]:7772", "",
       "Korvel games are reached over IPv4 only; ask the host for an address like 192.168.1.20."},
      {"<b>Eve</b>", "nosuch.lan", "", "No computer named \"nosuch.lan\" was found"},
  };
  f.nameFound = false;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address.toStdString());
    f.window.nameEdit->setText(c.name);
    f.window.addressEdit->setText(c.address);
    f.window.JoinClick();
    EXPECT_EQ(f.window.nameMessage->text(), c.nameMessage);
    EXPECT_EQ(f.window.nameMessage->isVisible(), !c.nameMessage.isEmpty());
    EXPECT_EQ(f.window.addressMessage->text(), c.addressMessage);
    EXPECT_EQ(f.window.addressMessage->textFormat(), Qt::PlainText);
  }
  f.window.nameEdit->clear();
  f.window.HostClick();
  EXPECT_EQ(f.window.nameMessage->text(), "Type the name the other players will see.");
  EXPECT_TRUE(f.starts.empty());
}

TEST(TPlayWithOthers, ClosingTheWindowDropsAJoinStillLookingUpItsName) {
  Fixture f;
  std::vector<std::function<void(bool)>> answers;
  f.window.lookUpName = [&](const QString&, std::function<void(bool)> done) {
    answers.push_back(std::move(done));
  };
  f.window.open();
  f.window.addressEdit->setText("box.lan");
  f.window.JoinClick();
  ASSERT_EQ(answers.size(), 1u);
  EXPECT_FALSE(f.window.joinButton->isEnabled());
  f.window.close();
  answers[0](true);
  EXPECT_TRUE(f.starts.empty()) << "the join went ahead after the window closed";

  // Opened again, the window joins afresh, and only the new lookup's answer counts.
  f.window.open();
  EXPECT_TRUE(f.window.joinButton->isEnabled());
  f.window.JoinClick();
  ASSERT_EQ(answers.size(), 2u);
  answers[1](true);
  ASSERT_EQ(f.starts.size(), 1u);
  EXPECT_EQ(f.starts[0].arguments, (QStringList{"Ann Lee", "box.lan", "false"}));
}

TEST(TPlayWithOthers, AnInvitationLinkFillsTheAddressReadyToJoinWithEnter) {
  Fixture f;
  korvel::app::saveKey(f.window.settingsFile, "Korvel", "Playername", "Bob");
  f.window.openWithLink("korvel://127.0.0.1:9100");
  EXPECT_EQ(f.window.nameEdit->text(), "Bob");
  EXPECT_EQ(f.window.addressEdit->text(), "korvel://127.0.0.1:9100");
  EXPECT_TRUE(f.window.addressMessage->isHidden());
  EXPECT_TRUE(f.window.joinButton->isDefault());
  QTest::keyClick(&f.window, Qt::Key_Return);
  ASSERT_EQ(f.starts.size(), 1u);
  EXPECT_EQ(f.starts[0].arguments, (QStringList{"Bob", "127.0.0.1", "false"}));
  EXPECT_EQ(f.starts[0].port, 9100);

  // A malformed link says why at once, and Enter connects nowhere.
  Fixture g;
  g.window.openWithLink("korvel://127.0.0.1:70000");
  EXPECT_EQ(g.window.addressMessage->text(),
            "\"70000\" is not a port: a port is a number from 1 to 65535.");
  EXPECT_FALSE(g.window.addressMessage->isHidden());
  QTest::keyClick(&g.window, Qt::Key_Return);
  EXPECT_TRUE(g.starts.empty());

  // A refused link never joins: the field holds what was judged, and Join judges it the same.
  const QString refusedLinks[] = {
      "korvel://eve" + QString(400, ' ') + "x",  // longer than the field
      "korvel://eve:7772 now",                   // more than an address
      "eve",                                     // no link at all
  };
  for (const QString& link : refusedLinks) {
    SCOPED_TRACE(link.toStdString());
    g.window.openWithLink(link);
    const QString reason = g.window.addressMessage->text();
    EXPECT_FALSE(reason.isEmpty());
    g.window.JoinClick();
    EXPECT_TRUE(g.starts.empty());
    EXPECT_FALSE(g.window.addressMessage->text().isEmpty());
    EXPECT_TRUE(g.lookedUp.empty());
  }
  // A direction override shows nothing reversed: the field holds the host Join will reach.
  g.window.openWithLink(QString::fromUtf8("korvel://evil\u202Egnp.exe\r"));
  EXPECT_EQ(g.window.addressEdit->text(), "korvel://evilgnp.exe");
  EXPECT_TRUE(g.window.addressMessage->isHidden());
  g.window.JoinClick();
  ASSERT_EQ(g.starts.size(), 1u);
  EXPECT_EQ(g.starts[0].arguments[1], "evilgnp.exe");
  g.starts.clear();

  // A join that failed in a new copy comes back with its reason.
  g.window.showJoinFailure("10.0.0.9", "Nobody is hosting at 10.0.0.9 port 7772");
  EXPECT_EQ(g.window.addressEdit->text(), "10.0.0.9");
  EXPECT_EQ(g.window.addressMessage->text(), "Nobody is hosting at 10.0.0.9 port 7772");
}
