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
