#include "app/ini_file.h"

#include <gtest/gtest.h>

#include <vector>

using korvel::app::IniFile;

TEST(IniFile, UntouchedTextComesBackByteForByte) {
  const std::string cases[] = {
      "",
      "\xEF\xBB\xBF[Korvel]\r\nTextsize=8\r\n",
      "[Lobby]\nno newline at the end",
      "[a]\n\n; comment\n# other\nodd line\n=x\n[b\n  k  =  v  \n[c] trailing\n",
      "a\r\nb\nc\r\rd\r",
      "\n\n\r\n",
      std::string("[K]\nk=\0v\n\xFF\xFE", 11),
  };
  for (const auto& text : cases) EXPECT_EQ(IniFile::parse(text).serialise(), text) << text;
}

TEST(IniFile, GetsTheFirstKeyOfTheFirstSectionIgnoringCase) {
  const IniFile ini = IniFile::parse(
      "Textsize=1\r\n"
      "[Lobby]\r\nTextsize=99\r\n"
      "[ korvel ]\r\ntextsize=10\r\nTEXTSIZE=11\r\nTop=\r\n  Left =  7  \r\nWidth\r\n"
      "; Height=5\r\n"
      "[Korvel]\r\nHeight=6\r\n");
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> expected;
  } cases[] = {
      {"Korvel", "Textsize", "10"}, {"KORVEL", "textSIZE", "10"}, {"Korvel", "Top", ""},
      {"Korvel", "Left", "7"},      {"Korvel", "Width", {}},      {"Korvel", "Height", {}},
      {"Lobby", "textsize", "99"},  {"Other", "Textsize", {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ini.get(c.section, c.key), c.expected) << c.section << "/" << c.key;
  }
}

TEST(IniFile, SetChangesOnlyItsOwnLine) {
  struct Set {
    const char *section, *key, *value;
  };
  struct Case {
    const char* before;
    std::vector<Set> sets;
    const char* after;
  } cases[] = {
      // replaced in place; the key's spelling, spacing and the other lines stay
      {"[Lobby]\r\nTextsize=1\r\n[Korvel]\r\ntextsize = 8\r\nTop=3\r\n",
       {{"Korvel", "Textsize", "10"}},
       "[Lobby]\r\nTextsize=1\r\n[Korvel]\r\ntextsize = 10\r\nTop=3\r\n"},
      // appended after the section's last key, before its blank line and the next section
      {"[Korvel]\nA=1\n; note\n\n[Lobby]\nB=2\n",
       {{"Korvel", "C", "3"}},
       "[Korvel]\nA=1\nC=3\n; note\n\n[Lobby]\nB=2\n"},
      // a missing section goes at the end, in the text's line ending
      {"[Lobby]\r\nB=2\r\n", {{"Korvel", "C", "3"}}, "[Lobby]\r\nB=2\r\n[Korvel]\r\nC=3\r\n"},
      {"[Korvel]\nA=1", {{"Korvel", "B", "2"}}, "[Korvel]\nA=1\nB=2\n"},
      {"[Korvel]", {{"Korvel", "B", "2"}}, "[Korvel]\nB=2\n"},
      {"", {{"Korvel", "A", "1"}}, "[Korvel]\nA=1\n"},
      {"\xEF\xBB\xBF[Korvel]\r\n", {{"korvel", "A", "1"}}, "\xEF\xBB\xBF[Korvel]\r\nA=1\r\n"},
      // a value cannot add lines
      {"[Korvel]\nA=1\n", {{"Korvel", "A", "x\r\n[Lobby]\ny"}}, "[Korvel]\nA=x  [Lobby] y\n"},
      // sections made by earlier sets are found by later ones
      {"[A]\n[B]\n",
       {{"C", "z", "3"}, {"A", "x", "1"}, {"B", "y", "2"}, {"C", "w", "4"}},
       "[A]\nx=1\n[B]\ny=2\n[C]\nz=3\nw=4\n"},
  };
  for (const auto& c : cases) {
    IniFile ini = IniFile::parse(c.before);
    for (const auto& s : c.sets) ini.set(s.section, s.key, s.value);
    EXPECT_EQ(ini.serialise(), c.after) << c.before;
  }
}
