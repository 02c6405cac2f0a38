#include "window/sound_player.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QtEndian>
#include <string>
#include <vector>

namespace {

std::vector<std::string> allSounds() {
  std::vector<std::string> names = {"clear",       "entered",    "gameover", "goodword",
                                    "invalid",     "newtiles",   "pass",     "pickupletter",
                                    "placeletter", "swapletter", "tick",     "timeup",
                                    "turn",        "turnnew",    "default"};
  for (int n = 1; n <= 20; ++n) names.push_back("wave" + std::to_string(n));
  return names;
}

quint16 u16(const QByteArray& b, qsizetype at) {
  return qFromLittleEndian<quint16>(b.constData() + at);
}
quint32 u32(const QByteArray& b, qsizetype at) {
  return qFromLittleEndian<quint32>(b.constData() + at);
}

// Empty when the bytes are a mono 16-bit PCM WAV with samples lasting under 2 s; else the fault.
std::string wavFault(const QByteArray& b) {
  if (b.size() < 12 || !b.startsWith("RIFF") || b.mid(8, 4) != "WAVE") return "no RIFF/WAVE";
  quint32 byteRate = 0;
  for (qsizetype at = 12; at + 8 <= b.size();) {
    const QByteArray id = b.mid(at, 4);
    const quint32 size = u32(b, at + 4);
    if (id == "fmt ") {
      if (u16(b, at + 8) != 1) return "not PCM";
      if (u16(b, at + 10) != 1) return "not mono";
      if (u16(b, at + 22) != 16) return "not 16-bit";
      byteRate = u32(b, at + 16);
    } else if (id == "data") {
      if (byteRate == 0) return "data before fmt";
      if (size == 0 || at + 8 + size > quint32(b.size())) return "bad data length";
      if (double(size) / byteRate >= 2.0) return "longer than 2 s";
      return "";
    }
    at += 8 + size + (size & 1);
  }
  return "no data chunk";
}

}  // namespace

TEST(SoundPlayer, EverySoundIsAShortEmbeddedWavFoundInAnyLetterCase) {
  for (const std::string& name : allSounds()) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(EffectSoundPlayer::soundResourceExists(name));
    QFile file(QString::fromStdString(EffectSoundPlayer::soundResourcePath(name)));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(wavFault(file.readAll()), "");
  }

  EffectSoundPlayer cues(false), clips(true);
  struct Case {
    std::string name, cue, clip;
  };
  const std::vector<Case> cases = {
      {"WAVE3", ":/sounds/wave3.wav", ":/sounds/wave3.wav"},
      {"wave3", ":/sounds/wave3.wav", ":/sounds/wave3.wav"},
      {"PickUpLetter", ":/sounds/pickupletter.wav", ":/sounds/pickupletter.wav"},
      {"wave21", "", ":/sounds/default.wav"},
      {"wave0", "", ":/sounds/default.wav"},
      {"", "", ":/sounds/default.wav"},
      {"../sounds/tick", "", ":/sounds/default.wav"},
      {"tick.wav", "", ":/sounds/default.wav"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(cues.resourceFor(c.name), c.cue);
    EXPECT_EQ(clips.resourceFor(c.name), c.clip);
  }
}

// The test machines have no audio device: every sound, known or not, repeated and cutting off
// another, must return without throwing, and the queued loading must not fail afterwards.
TEST(SoundPlayer, PlayingWithoutAudioDeviceIsSilentAndReturns) {
  EffectSoundPlayer cues(false), clips(true);
  std::vector<std::string> names = allSounds();
  names.insert(names.end(), {"TURN", "turn", "nosuch", ""});
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    EXPECT_NO_THROW(cues.play(name));
    EXPECT_NO_THROW(clips.play(name));
  }
  QCoreApplication::processEvents();
}
