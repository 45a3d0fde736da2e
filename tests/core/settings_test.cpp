#include "settings/settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "calendar/holidays.h"
#include "platform/profile.h"

namespace mekuri {
namespace {

TEST(SettingsTest, SavedEdgeKeepsItOnTheScreenOrAtZero) {
  const std::pair<const char*, std::optional<int32_t>> cases[] = {
      {"", std::nullopt}, {"1200", 1200}, {"-30", 0},     {"99999999", 0}, {"1200.5", 1200},
      {"1201.5", 1202},   {"14400", 14400}, {"14401", 0}, {"abc", 0},      {" 300px", 300}};
  for (const auto& [text, edge] : cases) EXPECT_EQ(SavedEdge(text, 14400), edge) << text;
  EXPECT_EQ(SavedEdge("1234567", 2000000), 1234567);
  EXPECT_EQ(SavedEdge("12345678", 99999999), 0);  // too long, whatever the screen
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("mekuri_settings_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    ini_ = dir_ / "Mekurinote.ini";
    profile::ClearCache();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  void Put(const std::string& text) {
    std::ofstream(ini_, std::ios::binary) << text;
    profile::ClearCache();
  }
  std::string Content() const {
    std::ostringstream out;
    out << std::ifstream(ini_, std::ios::binary).rdbuf();
    return out.str();
  }

  std::filesystem::path dir_;
  std::filesystem::path ini_;
};

TEST_F(SettingsFileTest, ReadsSwitchesEdgesAndHolidays) {
  Put("[Mekurinote]\r\nEveryHour=0\r\nEveryHourBeep=00\r\nHidingCheck=\r\nStartX=99999999\r\n"
      "StartY=1200.5\r\nS01=01/01\r\nS02=01:2:2\r\nS03=1/15\r\nS04=02/11\r\n");
  const Switches s = ReadSwitches(ini_);
  EXPECT_EQ(std::make_tuple(s.everyHour, s.everyHourBeep, s.hidingCheck),
            std::make_tuple(false, true, true));
  EXPECT_EQ(ReadSavedEdge(ini_, kKeyStartX, 960, 96), 0);
  EXPECT_EQ(ReadSavedEdge(ini_, kKeyStartY, 960, 96), 80);
  const HolidayTable table = LoadHolidayTable(ini_);
  EXPECT_EQ(std::make_tuple(table[1], table[2], table[3]),
            std::make_tuple("01/01", "01:2:2", ""));

  const std::filesystem::path missing = dir_ / "none.ini";
  EXPECT_EQ(ReadSavedEdge(missing, kKeyStartX, 960, 96), std::nullopt);
  EXPECT_TRUE(ReadSwitch(missing, kKeyHidingCheck));
  Put("[Mekurinote]\r\nEveryHour=no\r\nEveryHourBeep= 0\r\nHidingCheck=0\r\n");
  EXPECT_EQ(std::make_tuple(ReadSwitch(ini_, kKeyEveryHour), ReadSwitch(ini_, kKeyEveryHourBeep),
                            ReadSwitch(ini_, kKeyHidingCheck)),
            std::make_tuple(true, false, false));
}

TEST_F(SettingsFileTest, ExitWritesEdgesAndSwitchesAndLeavesTheRest) {
  WriteExitSettings(ini_, 80, 40, 96, Switches{});
  EXPECT_EQ(Content(), "[Mekurinote]\r\nStartX=1200\r\nStartY=600\r\n");

  Put("; mine\r\n[Mekurinote]\r\nS01=01/01\r\nEveryHour=0\r\nM01=12:00/lunch\r\n"
      "HidingCheck=1\r\n\r\n[Other]\r\nStartX=5\r\n");
  WriteExitSettings(ini_, 80, -32000, 96, Switches{true, false, true});
  EXPECT_EQ(Content(),
            "; mine\r\n[Mekurinote]\r\nS01=01/01\r\nM01=12:00/lunch\r\nStartX=1200\r\n"
            "StartY=-480000\r\nEveryHourBeep=0\r\n\r\n[Other]\r\nStartX=5\r\n");

  WriteExitSettings(ini_, 150, 3, 168, Switches{false, true, true});
  EXPECT_EQ(Content(),
            "; mine\r\n[Mekurinote]\r\nS01=01/01\r\nM01=12:00/lunch\r\nStartX=1286\r\n"
            "StartY=26\r\nEveryHour=0\r\n\r\n[Other]\r\nStartX=5\r\n");
}

TEST_F(SettingsFileTest, AnEdgeWrittenAtAnyScalingComesBackOnTheSamePixel) {
  // 100% to 350%; at 175%, 225% and 350% a pixel is no whole number of twips.
  constexpr int32_t kScreen = 2560;
  for (uint32_t dpi : {96u, 120u, 144u, 168u, 192u, 216u, 288u, 336u}) {
    for (int32_t pixels : {0, 1, 150, 151, 1279, kScreen}) {
      WriteExitSettings(ini_, pixels, kScreen - pixels, dpi, Switches{});
      EXPECT_EQ(ReadSavedEdge(ini_, kKeyStartX, kScreen, dpi), pixels) << pixels << " at " << dpi << " DPI";
      EXPECT_EQ(ReadSavedEdge(ini_, kKeyStartY, kScreen, dpi), kScreen - pixels) << pixels << " at " << dpi << " DPI";
    }
  }
}

}  // namespace
}  // namespace mekuri
