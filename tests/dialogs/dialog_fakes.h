#pragma once
// Stand-ins for the message boxes and the desktop: questions answered from a script, boxes and
// requests recorded.

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <utility>

#include "shell/desktop_services.h"
#include "shell/message_boxes.h"

class ScriptedBoxes : public MessageBoxes {
 public:
  ScriptedBoxes() { setMessageBoxes(this); }
  ~ScriptedBoxes() override { setMessageBoxes(nullptr); }

  bool askYesNo(const QString& text) override {
    asked << text;
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
  }
  std::deque<bool> answers;
  QStringList asked;
  QStringList shown;

 protected:
  void presentMessage(const QString& text, std::function<void()> dismissed) override {
    shown << text;
    dismissed();
  }
};

class RecordingDesktop : public DesktopServices {
 public:
  RecordingDesktop() { setDesktopServices(this); }
  ~RecordingDesktop() override { setDesktopServices(nullptr); }

  bool startProgram(const QString& path, const QStringList& arguments) override {
    started.push_back({path, arguments});
    return startSucceeds;
  }
  bool startSucceeds = true;
  std::vector<std::pair<QString, QStringList>> started;
  QStringList opened;

 protected:
  bool launchUrl(const QString& address) override {
    opened << address;
    return true;
  }
};
