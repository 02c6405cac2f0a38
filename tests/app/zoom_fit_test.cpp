// Which zoom steps the main window fits at, and the step a copy started on a smaller screen
// falls back to.
#include "app/zoom_fit.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using korvel::app::kZoomWindow;
using korvel::app::ZoomSize;

TEST(ZoomFit, OffersTheStepsWhoseWindowFitsTheAvailableArea) {
  using Steps = std::array<bool, 5>;  // 100%, 125%, 150%, 175%, 200%
  struct Case {
    const char* what;
    ZoomSize window, available;
    Steps fit;
  } cases[] = {
      {"1280 by 900", kZoomWindow, {1280, 900}, {true, true, false, false, false}},
      {"1280 by 900 less a panel", kZoomWindow, {1280, 868}, {true, true, false, false, false}},
      {"1920 by 1080 less a panel", kZoomWindow, {1920, 1040}, {true, true, true, false, false}},
      {"2560 by 1440", kZoomWindow, {2560, 1400}, {true, true, true, true, true}},
      {"3840 by 2160", kZoomWindow, {3840, 2160}, {true, true, true, true, true}},
      {"width decides", kZoomWindow, {1000, 2000}, {true, true, false, false, false}},
      {"exactly 150%", {800, 600}, {1200, 900}, {true, true, true, false, false}},
      {"one pixel short of 150%", {800, 600}, {1200, 899}, {true, true, false, false, false}},
      {"a tiny screen still has 100%", kZoomWindow, {640, 480}, {true, false, false, false, false}},
      {"no screen at all", kZoomWindow, {0, 0}, {true, false, false, false, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(korvel::app::fittingZoomSteps(c.window, c.available), c.fit);
  }
  // The window of the report: 1550 by 1170 at 200% does not fit 1920 by 1080.
  EXPECT_FALSE(korvel::app::zoomFits({775, 585}, 200, {1920, 1080}));
  EXPECT_TRUE(korvel::app::zoomFits({775, 585}, 200, {1550, 1170}));
}

TEST(ZoomFit, ARestartOnASmallerScreenFallsBackToTheLargestStepThatFits) {
  struct Case {
    int wanted;
    ZoomSize available;
    int zoom;
  } cases[] = {
      {200, {1280, 900}, 125},  {200, {1920, 1040}, 150}, {175, {1920, 1040}, 150},
      {150, {1920, 1040}, 150}, {125, {1280, 900}, 125},  {150, {1280, 900}, 125},
      {200, {2560, 1400}, 200}, {100, {640, 480}, 100},   {200, {640, 480}, 100},
      {125, {3840, 2160}, 125},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.wanted);
    EXPECT_EQ(korvel::app::fittingZoom(c.wanted, kZoomWindow, c.available), c.zoom);
  }
}

TEST(ZoomFit, TheAreaAZoomedProgramSeesIsScaledBackToUnzoomedUnits) {
  struct Case {
    ZoomSize seen;
    int running;
    ZoomSize unzoomed;
  } cases[] = {
      {{1280, 900}, 100, {1280, 900}},
      {{640, 450}, 200, {1280, 900}},
      {{1097, 617}, 175, {1919, 1079}},  // Qt rounds the zoomed sizes down
      {{1536, 864}, 125, {1920, 1080}},
  };
  for (const Case& c : cases) {
    const ZoomSize got = korvel::app::unzoomedArea(c.seen, c.running);
    EXPECT_EQ(got.width, c.unzoomed.width) << c.running;
    EXPECT_EQ(got.height, c.unzoomed.height) << c.running;
  }
}

}  // namespace
