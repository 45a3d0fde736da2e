#include "startup/settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "calendar/holidays.h"
#include "platform/profile.h"

namespace mekuri {
namespace {

TEST(SettingsTest, OnlyASingleZeroSwitchesOff) {
  EXPECT_FALSE(SwitchIsOn("0"));
  for (const char* on : {"1", "", "00", "no", " 0", "0 ", "-1"}) EXPECT_TRUE(SwitchIsOn(on)) << on;
}

TEST(SettingsTest, SavedEdgeKeepsItOnTheScreenOrAtZero) {
  struct Case {
    const char* text;
    std::optional<int32_t> edge;
  };
  const Case cases[] = {
      {"", std::nullopt}, {"1200", 1200},    {"-30", 0},         {"99999999", 0},
      {"1234567", 0},     {"1200.5", 1200},  {"1201.5", 1202},   {"14400", 14400},
      {"14401", 0},       {"abc", 0},        {" 300px", 300},    {"1e3", 1000},
      {"-0.4", 0},        {"123456789", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(SavedEdge(c.text, 14400), c.edge) << c.text;
  EXPECT_EQ(SavedEdge("1234567", 2000000), 1234567);
  EXPECT_EQ(SavedEdge("12345678", 99999999), 0);
}

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("mekuri_settings_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    ini_ = dir_ / "Mekurinote.ini";
    profile::ClearCache();
  }
  void TearDown() override {
    profile::ClearCache();
    std::filesystem::remove_all(dir_);
  }
  void Put(const std::string& text) {
    std::ofstream(ini_, std::ios::binary) << text;
    profile::ClearCache();
  }
  std::string Content() const {
    std::ifstream in(ini_, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }

  std::filesystem::path dir_;
  std::filesystem::path ini_;
};

TEST_F(SettingsFileTest, ReadsSwitchesEdgesAndHolidays) {
  Put("[Mekurinote]\r\nEveryHour=0\r\nEveryHourBeep=00\r\nHidingCheck=\r\nStartX=99999999\r\n"
      "StartY=1200.5\r\nS01=01/01\r\nS02=01:2:2\r\nS03=1/15\r\nS04=02/11\r\n");
  const Switches s = ReadSwitches(ini_);
  EXPECT_FALSE(s.everyHour);
  EXPECT_TRUE(s.everyHourBeep);
  EXPECT_TRUE(s.hidingCheck);
  EXPECT_EQ(ReadSavedEdge(ini_, kKeyStartX, 14400), 0);
  EXPECT_EQ(ReadSavedEdge(ini_, kKeyStartY, 14400), 1200);
  const HolidayTable table = LoadHolidayTable(ini_);
  EXPECT_EQ(table[1], "01/01");
  EXPECT_EQ(table[2], "01:2:2");
  EXPECT_TRUE(table[3].empty());

  const std::filesystem::path missing = dir_ / "none.ini";
  EXPECT_EQ(ReadSavedEdge(missing, kKeyStartX, 14400), std::nullopt);
  EXPECT_TRUE(ReadSwitch(missing, kKeyHidingCheck));
  EXPECT_TRUE(LoadHolidayTable(missing)[1].empty());
}

TEST_F(SettingsFileTest, ExitWritesEdgesAndSwitchesAndLeavesTheRest) {
  Put("; mine\r\n[Mekurinote]\r\nS01=01/01\r\nEveryHour=0\r\nM01=12:00/lunch\r\n"
      "HidingCheck=1\r\n\r\n[Other]\r\nStartX=5\r\n");
  WriteExitSettings(ini_, 1200.0f, -480000.0f, Switches{true, false, true});
  EXPECT_EQ(Content(),
            "; mine\r\n[Mekurinote]\r\nS01=01/01\r\nM01=12:00/lunch\r\nStartX=1200\r\n"
            "StartY=-480000\r\nEveryHourBeep=0\r\n\r\n[Other]\r\nStartX=5\r\n");
  EXPECT_EQ(ReadSavedEdge(ini_, kKeyStartY, 14400), 0);

  WriteExitSettings(ini_, 15.0f, 30.0f, Switches{false, true, true});
  EXPECT_EQ(Content(),
            "; mine\r\n[Mekurinote]\r\nS01=01/01\r\nM01=12:00/lunch\r\nStartX=15\r\n"
            "StartY=30\r\nEveryHour=0\r\n\r\n[Other]\r\nStartX=5\r\n");
}

TEST_F(SettingsFileTest, FirstExitCreatesTheFileWithEdgesOnly) {
  WriteExitSettings(ini_, 1200.0f, 600.0f, Switches{});
  EXPECT_EQ(Content(), "[Mekurinote]\r\nStartX=1200\r\nStartY=600\r\n");
}

}  // namespace
}  // namespace mekuri
