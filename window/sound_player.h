#pragma once
// Sounds played by name: the game cues and the players' voice clips, both WAV files embedded in
// the program under ":/sounds/". Callers hold a SoundPlayer so that tests replace it with a
// recorder.

#include <map>
#include <memory>
#include <string>

class QSoundEffect;

class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  virtual void play(const std::string& name) = 0;
};

// Plays through QSoundEffect, asynchronously: play() returns at once. A new sound cuts off the
// one this player still plays (the cue player and the clip player are separate instances, so a
// cue never cuts off a clip). Names match regardless of letter case. A name without a sound
// plays "default" when the player was built with fallbackToDefault, and nothing otherwise.
// Without an audio device nothing plays and nothing is reported.
class EffectSoundPlayer : public SoundPlayer {
 public:
  explicit EffectSoundPlayer(bool fallbackToDefault);
  ~EffectSoundPlayer() override;
  EffectSoundPlayer(const EffectSoundPlayer&) = delete;
  EffectSoundPlayer& operator=(const EffectSoundPlayer&) = delete;

  void play(const std::string& name) override;

  // The resource path that play(name) plays on this player, or "" for silence.
  std::string resourceFor(const std::string& name) const;

  // ":/sounds/" + the name in lower case + ".wav"; "" for a name that cannot name a sound.
  static std::string soundResourcePath(const std::string& name);
  static bool soundResourceExists(const std::string& name);

 private:
  bool fallbackToDefault_;
  // Made on first use of each sound, so that start-up loads none of them.
  std::map<std::string, std::unique_ptr<QSoundEffect>> effects_;
  QSoundEffect* current_ = nullptr;
};
