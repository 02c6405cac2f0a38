#include "window/sound_player.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

EffectSoundPlayer::EffectSoundPlayer(bool fallbackToDefault)
    : fallbackToDefault_(fallbackToDefault) {}

EffectSoundPlayer::~EffectSoundPlayer() = default;

std::string EffectSoundPlayer::soundResourcePath(const std::string& name) {
  // Names come from the network too; only plain names reach the resource tree.
  if (name.empty()) return "";
  std::string lower;
  for (char c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-')) return "";
    lower += c;
  }
  return ":/sounds/" + lower + ".wav";
}

bool EffectSoundPlayer::soundResourceExists(const std::string& name) {
  const std::string path = soundResourcePath(name);
  return !path.empty() && QFile::exists(QString::fromStdString(path));
}

std::string EffectSoundPlayer::resourceFor(const std::string& name) const {
  if (soundResourceExists(name)) return soundResourcePath(name);
  return fallbackToDefault_ ? soundResourcePath("default") : "";
}

void EffectSoundPlayer::play(const std::string& name) {
  const std::string path = resourceFor(name);
  if (path.empty()) return;
  // QSoundEffect reports a missing device once per sound and on stderr; asking first keeps a
  // machine without audio quiet. The device list is kept by the audio backend, so this is cheap.
  if (QMediaDevices::defaultAudioOutput().isNull()) return;

  std::unique_ptr<QSoundEffect>& effect = effects_[path];
  if (!effect) {
    effect = std::make_unique<QSoundEffect>();
    effect->setSource(QUrl("qrc" + QString::fromStdString(path)));
  }
  if (current_) current_->stop();
  // Stopping first makes a repeated sound start again from its beginning.
  effect->stop();
  effect->play();
  current_ = effect.get();
}
