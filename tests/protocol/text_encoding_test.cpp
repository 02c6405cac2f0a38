#include "protocol/text_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/message.h"

using namespace korvel::protocol;

TEST(TextEncoding, ValidUtf8StandsElseEveryByteIsWindows1252) {
  struct Case {
    const char* what;
    std::string bytes;
    bool utf8;
    std::string shown;  // UTF-8
  };
  const Case cases[] = {
      {"empty", "", true, ""},
      {"ASCII", "Eve <b>+|", true, "Eve <b>+|"},
      {"two-byte", "Zo\xC3\xAB", true, "Zo\xC3\xAB"},
      {"Cyrillic", "\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9", true,
       "\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9"},
      {"euro, three bytes", "\xE2\x82\xAC", true, "\xE2\x82\xAC"},
      {"four bytes, highest code point", "\xF4\x8F\xBF\xBF", true, "\xF4\x8F\xBF\xBF"},
      {"lowest three-byte form", "\xE0\xA0\x80", true, "\xE0\xA0\x80"},
      {"last code point before the surrogates", "\xED\x9F\xBF", true, "\xED\x9F\xBF"},
      // Not UTF-8: the whole text is Windows-1252, whose 0x80 to 0x9F are not Latin-1.
      {"Latin-1 letter", "Zo\xEB", false, "Zo\xC3\xAB"},
      {"euro and quotes", "\x80 \x93hi\x94", false, "\xE2\x82\xAC \xE2\x80\x9Chi\xE2\x80\x9D"},
      {"0x82 to 0x9F samples", "\x82\x83\x8A\x8C\x8E\x99\x9C\x9F", false,
       "\xE2\x80\x9A\xC6\x92\xC5\xA0\xC5\x92\xC5\xBD\xE2\x84\xA2\xC5\x93\xC5\xB8"},
      {"undefined 0x81 0x8D 0x8F 0x90 0x9D", "a\x81\x8D\x8F\x90\x9D", false,
       "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"0xA0 to 0xFF are Latin-1", "\xA0\xBF\xC0\xFF", false, "\xC2\xA0\xC2\xBF\xC3\x80\xC3\xBF"},
      {"one bad byte turns the whole text", "Zo\xC3\xAB \xE9", false,
       "Zo\xC3\x83\xC2\xAB \xC3\xA9"},
      {"lone continuation byte", "a\xA9", false, "a\xC2\xA9"},
      {"cut short at the end", "Zo\xC3", false, "Zo\xC3\x83"},
      {"cut short before ASCII", "\xE2\x82x", false, "\xC3\xA2\xE2\x80\x9Ax"},
      {"overlong slash, two bytes", "\xC0\xAF", false, "\xC3\x80\xC2\xAF"},
      {"overlong C1", "\xC1\xBF", false, "\xC3\x81\xC2\xBF"},
      {"overlong three bytes", "\xE0\x80\xAF", false, "\xC3\xA0\xE2\x82\xAC\xC2\xAF"},
      {"overlong four bytes", "\xF0\x80\x80\xAF", false,
       "\xC3\xB0\xE2\x82\xAC\xE2\x82\xAC\xC2\xAF"},
      {"surrogate", "\xED\xA0\x80", false, "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
      {"above U+10FFFF", "\xF4\x90\x80\x80", false, "\xC3\xB4\xEF\xBF\xBD\xE2\x82\xAC\xE2\x82\xAC"},
      {"F5 lead byte", "\xF5\x80\x80\x80", false, "\xC3\xB5\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(isUtf8(c.bytes), c.utf8);
    const std::string shown = textFromBytes(c.bytes);
    EXPECT_EQ(shown, c.shown);
    EXPECT_TRUE(isUtf8(shown));
    EXPECT_EQ(shown.find('\xFF'), std::string::npos);
  }
}

TEST(TextEncoding, ANameGoesOutInUtf8WithoutPlusOrTerminator) {
  const std::string FF(1, '\xFF');
  struct Case {
    std::string given, sent;
  };
  const Case cases[] = {
      {"A+n" + FF + "n", "Ann"},
      {"a+Zo\xC3\xAB", "aZo\xC3\xAB"},                   // a UTF-8 command line
      {"a+Zo\xEB", "aZo\xC3\xAB"},                       // a Latin-1 command line
      {"Zo" + FF + "\xC3\xAB", "Zo\xC3\xAB"},            // the terminator goes before decoding
      {"<img src=\"/x.png\">", "<img src=\"/x.png\">"},  // markup is the display's business
  };
  for (const Case& c : cases) {
    EXPECT_EQ(cleanName(c.given), c.sent);
    EXPECT_EQ(toserver::startgame(c.given, "30", "60", "1"),
              "CMD_startgame+" + c.sent + "+30+60+1+" + FF);
  }
}

TEST(TextEncoding, NamesWordsAndPhrasesLoseEveryControlCharacterAndChatLosesNul) {
  std::vector<int> controls;
  for (int b = 0; b < 32; ++b) controls.push_back(b);
  controls.push_back(127);
  for (int b : controls) {
    SCOPED_TRACE(b);
    const std::string c(1, static_cast<char>(b));
    // In valid UTF-8, and in text that reads as Windows-1252 (the 0xE9).
    EXPECT_EQ(cleanTextFromBytes("nul" + c + "byte"), "nulbyte");
    EXPECT_EQ(cleanTextFromBytes(c + "Zo\xEB" + c), "Zo\xC3\xAB");
    EXPECT_EQ(cleanTextFromBytes(c + c + c), "");
    EXPECT_EQ(cleanName("nul" + c + "byte"), "nulbyte");
    const std::string chat = chatTextFromBytes("a" + c + "b\xE9");
    EXPECT_EQ(chat, b == 0 ? "ab\xC3\xA9" : "a" + c + "b\xC3\xA9");
  }
  const struct {
    const char* what;
    std::string bytes, clean;
  } cases[] = {
      {"C1 controls in UTF-8",
       "a\xC2\x80\xC2\x9F"
       "b",
       "ab"},
      {"the letters right after C1 stay", "\xC2\xA0\xC2\xA9\xC3\x80", "\xC2\xA0\xC2\xA9\xC3\x80"},
      {"continuation bytes 0x80 to 0x9F stay", "\xE2\x82\xAC\xF0\x9F\x98\x80",
       "\xE2\x82\xAC\xF0\x9F\x98\x80"},
      {"Windows-1252 0x80 is the euro", "\x80\x01", "\xE2\x82\xAC"},
      {"undefined bytes stay marks", "\x81", "\xEF\xBF\xBD"},
      {"markup is kept as characters", "<img src=x>\r\n", "<img src=x>"},
  };
  for (const auto& c : cases) EXPECT_EQ(cleanTextFromBytes(c.bytes), c.clean) << c.what;
}

TEST(TextEncoding, BidirectionalControlsAreDroppedAndTheirNeighboursStay) {
  // Every bidirectional control and the two Unicode line breaks.
  for (const char* c :
       {"\xE2\x80\x8E", "\xE2\x80\x8F", "\xD8\x9C", "\xE2\x80\xA8", "\xE2\x80\xA9", "\xE2\x80\xAA",
        "\xE2\x80\xAB", "\xE2\x80\xAC", "\xE2\x80\xAD", "\xE2\x80\xAE", "\xE2\x81\xA6",
        "\xE2\x81\xA7", "\xE2\x81\xA8", "\xE2\x81\xA9"}) {
    EXPECT_EQ(cleanTextFromBytes(std::string("korvel://evil") + c + "gnp.exe" + c),
              "korvel://evilgnp.exe");
    EXPECT_EQ(cleanName(std::string(c) + "Eve"), "Eve");
  }
  // Their neighbours are text and stay: zero-width joiner, en quad, narrow no-break space,
  // figure dash, function application, U+206A, Arabic letters; 8-bit text is read first.
  const std::string kept =
      "\xE2\x80\x8D\xE2\x80\x80\xE2\x80\xAF\xE2\x80\x92\xE2\x81\xA1\xE2\x81\xAA\xD8\x9B\xD8\xA7";
  EXPECT_EQ(cleanTextFromBytes(kept), kept);
  EXPECT_EQ(cleanTextFromBytes("\xE2\x80\xAE\xFF"), "\xC3\xA2\xE2\x82\xAC\xC2\xAE\xC3\xBF");
}
