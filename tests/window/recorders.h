#pragma once
// Stand-ins that record instead of showing a box or playing a sound.

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "shell/message_boxes.h"
#include "window/sound_player.h"

class RecordingBoxes : public MessageBoxes {
 public:
  bool askYesNo(const QString&) override { return true; }
  QStringList shown;

 protected:
  void presentMessage(const QString& text, std::function<void()> dismissed) override {
    shown << text;
    dismissed();
  }
};

class RecordingSounds : public SoundPlayer {
 public:
  void play(const std::string& name) override { played.push_back(name); }
  std::vector<std::string> played;
};
