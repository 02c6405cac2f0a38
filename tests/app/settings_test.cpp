#include "app/settings.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/window_zoom.h"

using namespace korvel::app;

TEST(Settings, LoadsEveryKeyWithItsDefaultAndReadingRule) {
  struct Case {
    const char* text;
    std::function<void(Settings&)> expect;  // changes from the built-in values
  } cases[] = {
      {"", [](Settings&) {}},
      {"[Lobby]\nTextsize=14\nBotspeed=500\n", [](Settings&) {}},
      {"[Korvel]\nTextsize=11\n", [](Settings& s) { s.textsize = 11; }},
      {"[Korvel]\ntextSIZE=12\n", [](Settings& s) { s.textsize = 12; }},
      {"[Korvel]\nTextsize=big\n", [](Settings&) {}},
      {"[Korvel]\nTextsize=0\n", [](Settings&) {}},
      {"[Korvel]\nTextsize=100000\n", [](Settings&) {}},
      {"[Korvel]\nTop=-20\nLeft=40\nWidth=900\nHeight=700\n",
       [](Settings& s) { s.top = -20, s.left = 40, s.width = 900, s.height = 700; }},
      {"[Korvel]\nTop=x\nWidth=-5\nHeight=2000000000\n", [](Settings&) {}},
      {"[Korvel]\nTextcolor=CLWHITE\n", [](Settings& s) { s.textcolor = 0xFFFFFF; }},
      {"[Korvel]\nTextcolor=$00123456\n", [](Settings& s) { s.textcolor = 0x123456; }},
      {"[Korvel]\nTextcolor=purple\n", [](Settings&) {}},
      {"[Korvel]\nPlaytoscore=\nTimeperturn=soon\n",
       [](Settings& s) { s.playtoscore.reset(), s.timeperturn.reset(); }},
      {"[Korvel]\nPlaytoscore=50\nTimeperturn=90\n",
       [](Settings& s) { s.playtoscore = 50, s.timeperturn = 90; }},
      {"[Korvel]\nBotspeed=500\n", [](Settings& s) { s.botspeed = 500; }},
      {"[Korvel]\nBotspeed=2000\n", [](Settings& s) { s.botspeed = 2000; }},
      {"[Korvel]\nBotspeed=fast\n", [](Settings&) {}},
      {"[Korvel]\nBotspeed=0\n", [](Settings&) {}},
      {"[Korvel]\nTurnsound=1\n", [](Settings& s) { s.turnsound = 1; }},
      {"[Korvel]\nTurnsound=2\n", [](Settings&) {}},
      {"[Korvel]\nPhrase3=Hi there\nPhrase4=\nPhrase10=no\n",
       [](Settings& s) { s.phrases[2] = "Hi there"; }},
      // An 8-bit program's phrase (Windows-1252) reads as the same letters in UTF-8.
      {"[Korvel]\nPhrase1=caf\xE9 \x80\nPhrase2=Zo\xC3\xAB\n",
       [](Settings& s) { s.phrases[0] = "caf\xC3\xA9 \xE2\x82\xAC", s.phrases[1] = "Zo\xC3\xAB"; }},
      {"[Korvel]\nPlaysounds=FALSE\nPlayerphrasesounds=0\n", [](Settings&) {}},
      {"[Korvel]\nPlaysounds=false\nPlayerphrasesounds=false\n",
       [](Settings& s) { s.playsounds = false, s.playerphrasesounds = false; }},
      {"[Korvel]\nComputerplayers=2\n", [](Settings& s) { s.computerplayers = 2; }},
      {"[Korvel]\nComputerplayers=4\n", [](Settings&) {}},
      {"[Korvel]\nComputerplayers=-1\n", [](Settings&) {}},
      {"[Korvel]\nComputerlevel=Easy\n",
       [](Settings& s) { s.computerlevel = korvel::bot::Level::Easy; }},
      {"[Korvel]\ncomputerlevel=STRONG\n",
       [](Settings& s) { s.computerlevel = korvel::bot::Level::Strong; }},
      {"[Korvel]\nComputerlevel=hard\n", [](Settings&) {}},
      {"[Korvel]\nKeepseat=0\n", [](Settings& s) { s.keepseat = 0; }},
      {"[Korvel]\nKeepseat=10\n", [](Settings& s) { s.keepseat = 10; }},
      {"[Korvel]\nKeepseat=11\n", [](Settings&) {}},
      {"[Korvel]\nKeepseat=-1\n", [](Settings&) {}},
      {"[Korvel]\nKeepseat=three\n", [](Settings&) {}},
      {"[Korvel]\nZoom=150\nShowdownload=false\n",
       [](Settings& s) { s.zoom = 150, s.showdownload = false; }},
      {"[Korvel]\nZoom=175\nShowdownload=FALSE\n", [](Settings& s) { s.zoom = 175; }},
      {"[Korvel]\nZoom=140\n", [](Settings&) {}},
      {"[Korvel]\nZoom=300\n", [](Settings&) {}},
      {"[Korvel]\nZoom=big\n", [](Settings&) {}},
      {"[Korvel]\nRecordfolder=/home/ann/Game records\n",
       [](Settings& s) { s.recordfolder = "/home/ann/Game records"; }},
      {"[Korvel]\nCoveringtip=true\nZoomrestart=true\n",
       [](Settings& s) { s.coveringtip = true, s.zoomrestart = true; }},
      {"[Korvel]\nCoveringtip=yes\nZoomrestart=TRUE\n", [](Settings&) {}},
  };
  for (const auto& c : cases) {
    Settings expected;
    c.expect(expected);
    EXPECT_TRUE(loadSettings(IniFile::parse(c.text), "Korvel") == expected) << c.text;
  }
  const Settings none = loadSettings(IniFile(), "Korvel");
  EXPECT_EQ(none.textsize, 8);
  EXPECT_EQ(none.width, 775);
  EXPECT_EQ(none.playtoscore, 30);
  EXPECT_EQ(none.timeperturn, 1);
  EXPECT_EQ(none.botspeed, 1000);
  EXPECT_TRUE(none.playsounds && none.playerphrasesounds);
}

TEST(Settings, SavesItsKeysInOrderAndLeavesEverythingElse) {
  Settings s;
  s.textsize = 12, s.top = -4, s.width = 800, s.height = 600, s.textcolor = 0x123456;
  s.playtoscore = 50, s.timeperturn = 90, s.botspeed = 500, s.turnsound = 1;
  s.playerphrasesounds = false, s.computerplayers = 2, s.zoom = 125, s.showdownload = false;
  s.computerlevel = korvel::bot::Level::Strong;
  s.recordfolder = "/home/ann/Game records";
  s.keepseat = 5;
  s.phrases[0] = "not saved here";
  Settings red;
  red.textcolor = 0x0000FF, red.playtoscore.reset(), red.timeperturn.reset();
  // A folder name with a line break would add a line of its own to the file: not written.
  red.recordfolder = "/tmp/a\nZoom=200";

  struct Case {
    const char* before;
    Settings settings;
    const char* after;
  } cases[] = {
      {"", s,
       "[Korvel]\nTextsize=12\nTop=-4\nLeft=3\nWidth=800\nHeight=600\nTextcolor=$00123456\n"
       "Playtoscore=50\nTimeperturn=90\nBotspeed=500\nTurnsound=1\nPlayerphrasesounds=false\n"
       "Playsounds=true\nComputerplayers=2\nComputerlevel=Strong\nKeepseat=5\nZoom=125\n"
       "Showdownload=false\nRecordfolder=/home/ann/Game records\n"},
      {"[Lobby]\r\nTextsize=99\r\n[korvel]\r\nPhrase1=mine\r\nPlaytoscore=70\r\n\r\n[Z]\r\n", red,
       "[Lobby]\r\nTextsize=99\r\n[korvel]\r\nPhrase1=mine\r\nPlaytoscore=70\r\nTextsize=8\r\n"
       "Top=3\r\nLeft=3\r\nWidth=775\r\nHeight=585\r\nTextcolor=clRed\r\nBotspeed=1000\r\n"
       "Turnsound=0\r\nPlayerphrasesounds=true\r\nPlaysounds=true\r\nZoom=100\r\n"
       "Showdownload=true\r\n\r\n[Z]\r\n"},
  };
  for (const auto& c : cases) {
    IniFile ini = IniFile::parse(c.before);
    saveSettings(ini, "Korvel", c.settings);
    EXPECT_EQ(ini.serialise(), c.after);
  }

  IniFile ini;
  saveSettings(ini, "Korvel", s);
  s.phrases[0].reset();
  EXPECT_TRUE(loadSettings(ini, "Korvel") == s) << "what is saved loads back unchanged";
}

TEST(Settings, WritesSingleKeysAndPhrases) {
  Settings s;
  s.botspeed = 2000;
  s.phrases[1] = "Hello";
  s.phrases[8] = "";
  struct Case {
    std::function<void(IniFile&)> write;
    const char* after;
  } cases[] = {
      {[&](IniFile& ini) { EXPECT_TRUE(saveSetting(ini, "Korvel", s, "Botspeed")); },
       "[Korvel]\nTextsize=9\nBotspeed=2000\n"},
      {[&](IniFile& ini) { EXPECT_TRUE(saveSetting(ini, "Korvel", s, "Computerplayers")); },
       "[Korvel]\nTextsize=9\n"},
      {[&](IniFile& ini) { EXPECT_TRUE(saveSetting(ini, "Korvel", s, "Zoom")); },
       "[Korvel]\nTextsize=9\nZoom=100\n"},
      {[&](IniFile& ini) { EXPECT_TRUE(saveSetting(ini, "Korvel", s, "Showdownload")); },
       "[Korvel]\nTextsize=9\nShowdownload=true\n"},
      {[&](IniFile& ini) { EXPECT_FALSE(saveSetting(ini, "Korvel", s, "Phrase1")); },
       "[Korvel]\nTextsize=9\n"},
      {[&](IniFile& ini) { savePhrases(ini, "Korvel", s.phrases); },
       "[Korvel]\nTextsize=9\nPhrase2=Hello\nPhrase9=\n"},
  };
  for (const auto& c : cases) {
    IniFile ini = IniFile::parse("[Korvel]\nTextsize=9\n");
    c.write(ini);
    EXPECT_EQ(ini.serialise(), c.after);
  }
}

TEST(Settings, ZoomMultipliesTheUsersOwnScaleFactor) {
  const struct {
    const char* user;
    int zoom;
    std::optional<std::string> factor;
  } cases[] = {
      {"", 100, std::nullopt}, {"2", 100, std::nullopt}, {"", 150, "1.5"},
      {"", 125, "1.25"},       {"", 200, "2"},           {"2", 150, "3"},
      {"1.5", 175, "2.625"},   {"junk", 150, "1.5"},     {"-1", 175, "1.75"},
      {"1.5x", 200, "2"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(zoomedScaleFactor(c.user, c.zoom), c.factor) << c.user << " at " << c.zoom;
  }
}
