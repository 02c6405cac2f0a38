// The desktop's own services start real children, each with the environment it is given; the
// program's own environment is left as it is.
#include "shell/desktop_services.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>

TEST(DesktopServices, BrowserAndProgramsStartWithTheirOwnEnvironmentNotTheProgramsChanges) {
  QTemporaryDir dir;
  // A stand-in opener and lobby: each writes its first argument and environment to OUT, whole.
  for (const QString name : {"xdg-open", "lobby"}) {
    QFile script(dir.filePath(name));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QString("#!/bin/sh\n{ printf '%s\\n' \"$1\"; env; } > '%1.part' && "
                         "mv '%1.part' '%1'\n")
                     .arg(dir.filePath(name + ".out"))
                     .toUtf8());
    script.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
  }
  const auto output = [&](const QString& name) {
    QFile file(dir.filePath(name + ".out"));
    if (!QTest::qWaitFor([&] { return file.exists(); }, 10000) || !file.open(QIODevice::ReadOnly))
      return QString();
    return QString::fromUtf8(file.readAll());
  };
  ::setenv("QT_SCALE_FACTOR", "3", 1);  // the program's own, as the zoom sets it

  SystemDesktopServices desktop;
  desktop.childEnvironment =
      std::vector<std::string>{"PATH=" + dir.path().toStdString() + ":/bin", "KORVEL_MARK=given"};
  // Parsed strictly, as the desktop's handler did: quotes are refused, other letters encoded.
  EXPECT_FALSE(desktop.openUrl("https://example.org/a?c=\"`x`\""));
  ASSERT_TRUE(desktop.openUrl(QString::fromUtf8("https://example.org/caf\u00e9?b=1&c")));
  ASSERT_TRUE(desktop.startProgram("lobby", {"--first"}));  // found in the child's PATH
  for (const auto& [name, first] : {std::pair{"xdg-open", "https://example.org/caf%C3%A9?b=1&c"},
                                    std::pair{"lobby", "--first"}}) {
    const QString seen = output(name);
    EXPECT_TRUE(seen.startsWith(QString(first) + "\n")) << seen.toStdString();
    EXPECT_TRUE(seen.contains("\nKORVEL_MARK=given\n")) << seen.toStdString();
    EXPECT_FALSE(seen.contains("QT_SCALE_FACTOR")) << seen.toStdString();
  }
  EXPECT_STREQ(std::getenv("QT_SCALE_FACTOR"), "3") << "the program's own environment stays";
  EXPECT_EQ(std::getenv("KORVEL_MARK"), nullptr);
  ::unsetenv("QT_SCALE_FACTOR");

  // Without an opener or a browser nothing starts and the caller is told.
  desktop.childEnvironment = std::vector<std::string>{"PATH=/nonexistent"};
  EXPECT_FALSE(desktop.openUrl("https://example.org/"));
  EXPECT_FALSE(desktop.startProgram("lobby", {}));
}
