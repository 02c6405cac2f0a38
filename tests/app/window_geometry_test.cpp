#include "app/window_geometry.h"

#include <gtest/gtest.h>

using namespace korvel::app;

TEST(WindowGeometry, ClientAreaSnapsToBoardPanelPlusFour) {
  struct Case {
    ClientSize in, out;
  } cases[] = {
      {{300, 200}, {768, 541}}, {{767, 540}, {768, 541}}, {{900, 300}, {900, 541}},
      {{500, 700}, {768, 700}}, {{800, 600}, {800, 600}},
  };
  for (const auto& c : cases) {
    const auto got = snapClientSize(c.in);
    EXPECT_EQ(got.width, c.out.width) << c.in.width << "x" << c.in.height;
    EXPECT_EQ(got.height, c.out.height) << c.in.width << "x" << c.in.height;
  }
}

TEST(WindowGeometry, SavesOnlyAChangedGeometryShrunkToTheWorkArea) {
  const WindowRect work{0, 0, 1024, 768};
  const WindowRect saved{10, 20, 775, 585};
  EXPECT_FALSE(geometryToSave(saved, saved, work).has_value());

  struct Case {
    WindowRect window, expected;
  } cases[] = {
      {{11, 20, 775, 585}, {11, 20, 775, 585}},  // moved one pixel
      {{10, 20, 800, 585}, {10, 20, 800, 585}},  // resized within the work area
      {{0, 0, 1100, 585}, {0, 0, 1085, 585}},    // wider than the work area
      {{0, 0, 800, 900}, {0, 0, 800, 885}},      // taller
      {{0, 0, 1030, 770}, {0, 0, 1015, 755}},    // both
      {{0, 0, 1024, 768}, {0, 0, 1024, 768}},    // exactly the work area is not wider
  };
  for (const auto& c : cases) {
    const auto got = geometryToSave(c.window, saved, work);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(*got, c.expected) << c.window.width << "x" << c.window.height;
  }
}
