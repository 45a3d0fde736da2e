#include "timesignal/time_signal.h"

#include <gtest/gtest.h>

namespace mekuri {
namespace {

TEST(TimeSignalText, NamesTheComingHourOnATwelveHourDial) {
  EXPECT_EQ(HourAnnouncement(11), u"正午です");
  EXPECT_EQ(HourAnnouncement(12), u"1時です");
  EXPECT_EQ(HourAnnouncement(22), u"11時です");
  EXPECT_EQ(HourAnnouncement(23), u"0時です") << "midnight is 0, not 12";
  EXPECT_EQ(HourAnnouncement(0), u"1時です");
}

TEST(TimeSignalText, ColourCycleRunsThroughSixColoursAndRoundAgain) {
  ChimeAnimation a;
  a.intervalMs = ChimeAnimation::kCycleMs;
  const uint32_t expected[] = {0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0x0000FF, 0x00FF00};
  for (uint32_t colour : expected) {
    const ChimeStep step = a.Step();
    EXPECT_TRUE(step.recolour && !step.resize);
    EXPECT_EQ(BlinkColor(a.nBlink), colour) << "nBlink " << a.nBlink;
  }
}

TEST(TimeSignalText, ChimeTextAppearsGrowsPastTwentyPointsThenCycles) {
  ChimeAnimation a;
  EXPECT_EQ(a.intervalMs, 800);
  ChimeStep step = a.Step();
  EXPECT_TRUE(step.showText && step.resize) << "the first step shows the text and grows it";
  EXPECT_EQ(a.intervalMs, 20);
  EXPECT_EQ(a.fontHundredths, 925);

  int steps = 1;
  while (!step.finish && steps < 50) {
    step = a.Step();
    ++steps;
    EXPECT_TRUE(step.resize && !step.showText);
  }
  EXPECT_EQ(steps, 12) << "8.25 pt grows by 1 pt until it passes 20 pt";
  EXPECT_EQ(a.fontHundredths, 2025);
  EXPECT_TRUE(a.bold);
  EXPECT_EQ(a.intervalMs, 2000);
  EXPECT_EQ(a.nBlink, 0) << "the colour stays until the first slow step";
  EXPECT_FALSE(step.recolour);
}

}  // namespace
}  // namespace mekuri
