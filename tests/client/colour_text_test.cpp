#include "client/colour_text.h"

#include <gtest/gtest.h>

#include <set>

using namespace korvel::client;

TEST(ColourText, ReadsNamesInAnyCaseAndIntegerTexts) {
  struct Case {
    const char* text;
    std::optional<Colour> expected;
  } cases[] = {
      {"clBlack", 0x000000},
      {"CLBLACK", 0x000000},
      {"clblack", 0x000000},
      {"clRed", 0x0000FF},
      {"clNavy", 0x800000},
      {"clScrollBar", 0x80000000},
      {"cl3ddkshadow", 0x80000015},
      {"clInfoBk", 0x80000018},
      {"clNone", 0x1FFFFFFF},
      {"$00FF8000", 0xFF8000},
      {"$ff", 0xFF},
      {"$FFFFFFFF", 0xFFFFFFFF},
      {"255", 0xFF},
      {"+16", 16},
      {"-1", 0xFFFFFFFF},
      {"-2147483648", 0x80000000},
      {"2147483647", 0x7FFFFFFF},
      {"2147483648", std::nullopt},
      {"$100000000", std::nullopt},
      {"", std::nullopt},
      {"$", std::nullopt},
      {"-", std::nullopt},
      {"$G0", std::nullopt},
      {"0x10", std::nullopt},
      {"12a", std::nullopt},
      {" clRed", std::nullopt},
      {"red", std::nullopt},
      {"clRedd", std::nullopt},
      {"clDefault", std::nullopt},
      {"clMoneyGreen", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(readColourText(c.text), c.expected) << c.text;
}

TEST(ColourText, WritesTheFirstMatchingNameElseDollarAndEightHexDigits) {
  struct Case {
    Colour value;
    const char* text;
  } cases[] = {
      {0x000000, "clBlack"},     {0x0000FF, "clRed"},         {0xFF0000, "clBlue"},
      {0xC0C0C0, "clSilver"},    {0x80000000, "clScrollBar"}, {0x80000012, "clBtnText"},
      {0x80000018, "clInfoBk"},  {0x80000019, "$80000019"},   {0x1FFFFFFF, "clNone"},
      {0x20000000, "$20000000"}, {0x00ABCDEF, "$00ABCDEF"},   {0x00000123, "$00000123"},
      {0xFFFFFFFF, "$FFFFFFFF"},
  };
  for (const auto& c : cases) EXPECT_EQ(colourToText(c.value), c.text) << std::hex << c.value;
}

TEST(ColourText, EveryNameWritesAndReadsBackItsOwnValue) {
  std::set<std::string_view> names;
  for (const ColourName& entry : kColourNames) {
    names.insert(entry.name);
    EXPECT_EQ(colourToText(entry.value), entry.name);
    EXPECT_EQ(readColourText(entry.name), entry.value) << entry.name;
  }
  EXPECT_EQ(names.size(), 42u);
}
