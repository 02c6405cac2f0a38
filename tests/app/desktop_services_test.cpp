// The desktop's own services start real children: each gets the environment it is given, and the
// program's own environment is left as it is.
#include "shell/desktop_services.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

namespace {

// A stand-in program that writes its first argument and its environment to OUT, whole.
void writeRecorder(const QString& file, const QString& out) {
  QFile script(file);
  ASSERT_TRUE(script.open(QIODevice::WriteOnly));
  script.write(QString("#!/bin/sh\n{ printf '%s\\n' \"$1\"; env; } > '%1.part' && "
                       "mv '%1.part' '%1'\n")
                   .arg(out)
                   .toUtf8());
  script.close();
  script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QString waitForFile(const QString& path) {
  if (!QTest::qWaitFor([&] { return QFile::exists(path); }, 10000)) return {};
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

}  // namespace

TEST(DesktopServices, BrowserAndProgramsStartWithTheirOwnEnvironmentNotTheProgramsChanges) {
  QTemporaryDir dir;
  const QString bin = dir.filePath("bin");
  ASSERT_TRUE(QDir().mkpath(bin));
  writeRecorder(bin + "/xdg-open", dir.filePath("opened"));
  writeRecorder(bin + "/lobby", dir.filePath("started"));
  // The program's own setting, as the zoom sets it: no child may see it.
  ::setenv("QT_SCALE_FACTOR", "3", 1);

  SystemDesktopServices desktop;
  desktop.childEnvironment =
      std::vector<std::string>{"PATH=" + bin.toStdString() + ":/usr/bin:/bin", "KORVEL_MARK=given"};
  EXPECT_FALSE(desktop.openUrl("file:///etc/passwd"));
  // Parsed strictly, as the desktop's handler did: quotes are refused, other letters encoded.
  EXPECT_FALSE(desktop.openUrl("https://example.org/a?c=\"`x`\""));
  ASSERT_TRUE(desktop.openUrl(QString::fromUtf8("https://example.org/caf\u00e9?b=1&c")));
  const QString opened = waitForFile(dir.filePath("opened"));
  EXPECT_TRUE(opened.startsWith("https://example.org/caf%C3%A9?b=1&c\n")) << opened.toStdString();
  EXPECT_TRUE(opened.contains("\nKORVEL_MARK=given\n")) << opened.toStdString();
  EXPECT_FALSE(opened.contains("QT_SCALE_FACTOR")) << opened.toStdString();

  // A bare program name is found in the child's PATH.
  ASSERT_TRUE(desktop.startProgram("lobby", {"--first"}));
  const QString started = waitForFile(dir.filePath("started"));
  EXPECT_TRUE(started.startsWith("--first\n")) << started.toStdString();
  EXPECT_TRUE(started.contains("\nKORVEL_MARK=given\n")) << started.toStdString();
  EXPECT_FALSE(started.contains("QT_SCALE_FACTOR")) << started.toStdString();

  EXPECT_STREQ(std::getenv("QT_SCALE_FACTOR"), "3") << "the program's own environment stays";
  EXPECT_EQ(std::getenv("KORVEL_MARK"), nullptr);
  ::unsetenv("QT_SCALE_FACTOR");

  // Without an opener or a browser nothing starts and the caller is told.
  desktop.childEnvironment = std::vector<std::string>{"PATH=" + dir.filePath("none").toStdString()};
  EXPECT_FALSE(desktop.openUrl("https://example.org/"));
  EXPECT_FALSE(desktop.startProgram("lobby", {}));
}
