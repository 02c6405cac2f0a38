#include "app/program_restart.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <vector>

#include "app/desktop_services.h"

namespace {

// Records each program start with the scale factor the new copy would inherit.
class StartRecorder : public DesktopServices {
 public:
  struct Start {
    QString path;
    QStringList arguments;
    bool scaleSet;
    QByteArray scale;
  };
  std::vector<Start> starts;
  bool startProgram(const QString& path, const QStringList& arguments) override {
    starts.push_back({path, arguments, qEnvironmentVariableIsSet("QT_SCALE_FACTOR"),
                      qgetenv("QT_SCALE_FACTOR")});
    return true;
  }

 protected:
  bool launchUrl(const QString&) override { return true; }
};

}  // namespace

TEST(ProgramRestart, StartsTheSameCommandLineWithTheUsersOwnScaleFactorOnlyWhenAsked) {
  StartRecorder desktop;
  setDesktopServices(&desktop);
  const QStringList hosting{"Ann", "127.0.0.1", "true"};
  qputenv("QT_SCALE_FACTOR", "3");  // as this copy set it for its zoom
  { ProgramRestart untouched(hosting, "", false); }
  EXPECT_TRUE(desktop.starts.empty()) << "nothing starts unless a restart was asked for";
  {
    ProgramRestart restart(hosting, "", false);
    restart.request();
  }
  {
    ProgramRestart restart({}, "2", true);
    restart.request();
  }
  setDesktopServices(nullptr);
  qunsetenv("QT_SCALE_FACTOR");
  ASSERT_EQ(desktop.starts.size(), 2u);
  EXPECT_EQ(desktop.starts[0].path, QCoreApplication::applicationFilePath());
  EXPECT_EQ(desktop.starts[0].arguments, hosting);
  EXPECT_FALSE(desktop.starts[0].scaleSet);
  EXPECT_TRUE(desktop.starts[1].arguments.isEmpty());
  EXPECT_TRUE(desktop.starts[1].scaleSet);
  EXPECT_EQ(desktop.starts[1].scale, "2");
}

TEST(ProgramRestart, ANewCommandLineGoesWithTheGamePortAndTheUsersOwnPort) {
  struct PortRecorder : StartRecorder {
    QByteArray port, own;
    bool startProgram(const QString& path, const QStringList& arguments) override {
      port = qgetenv("KORVEL_PORT");
      own = qgetenv("KORVEL_OWN_PORT");
      return StartRecorder::startProgram(path, arguments);
    }
  } desktop;
  setDesktopServices(&desktop);
  const QByteArray savedPort = qgetenv("KORVEL_PORT");
  {
    ProgramRestart restart({"Ann"}, "", false);
    restart.request({"Bob", "10.0.0.2", "false"}, 8000, 7772);
  }
  setDesktopServices(nullptr);
  qputenv("KORVEL_PORT", savedPort);
  qunsetenv("KORVEL_OWN_PORT");
  ASSERT_EQ(desktop.starts.size(), 1u);
  EXPECT_EQ(desktop.starts[0].arguments, (QStringList{"Bob", "10.0.0.2", "false"}));
  EXPECT_EQ(desktop.port, "8000");
  EXPECT_EQ(desktop.own, "7772");
}
