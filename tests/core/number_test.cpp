#include "base/number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/cp932.h"

namespace mekuri {
namespace {

TEST(NumberTest, LeadingNumberReadsOnlyTheNumberAtTheStart) {
  struct Case {
    const char* text;
    double value;
  };
  const Case cases[] = {
      {"2e3", 2000},    {"1200.5", 1200.5}, {"-30", -30},     {" 12abc", 12},  {"abc", 0},
      {".", 0},         {"1e", 1},          {"+.5", 0.5},     {"", 0},         {"-", 0},
      {"\t\r\n 7", 7},  {"5.", 5},          {"1e+2", 100},    {"25E-2", 0.25}, {"1e+", 1},
      {"1,000", 1},     {"12.5.3", 12.5},   {"--1", 0},       {"- 1", 0},      {"1 2", 1},
      {"0x10", 0},      {"09", 9},          {"0.1", 0.1},     {"1e-400", 0},   {"\v1", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LeadingNumber(c.text), c.value) << c.text;
    EXPECT_EQ(LeadingNumber(FromUtf8(c.text)), c.value) << c.text;
  }
  EXPECT_EQ(LeadingNumber("1e400"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(LeadingNumber("-1e99999999999999999999"), -std::numeric_limits<double>::infinity());
  // Full-width digits are no digits, and a non-ASCII character ends the number.
  EXPECT_EQ(LeadingNumber(u"１２"), 0);
  EXPECT_EQ(LeadingNumber(u"12年"), 12);
}

TEST(NumberTest, ConversionsRoundHalfToEvenAndSaturate) {
  struct Case {
    double value;
    int16_t i16;
    int32_t i32;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {1200.5, 1200, 1200},     {1201.5, 1202, 1202},          {-2.5, -2, -2},
      {-3.5, -4, -4},           {0.5, 0, 0},                   {1.5, 2, 2},
      {2.4999, 2, 2},           {-0.6, -1, -1},                {32767.5, 32767, 32768},
      {-32768.5, -32768, -32768}, {40000, 32767, 40000},       {-40000, -32768, -40000},
      {2147483647.5, 32767, 2147483647}, {-1e300, -32768, std::numeric_limits<int32_t>::min()},
      {nan, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToInt16(c.value), c.i16) << c.value;
    EXPECT_EQ(ToInt32(c.value), c.i32) << c.value;
  }
}

TEST(NumberTest, SingleTextHasSevenSignificantDigits) {
  EXPECT_EQ(FormatSingle(1200.0f), "1200");
  EXPECT_EQ(FormatSingle(-480000.0f), "-480000");
  EXPECT_EQ(FormatSingle(1200.5f), "1200.5");
  EXPECT_EQ(FormatSingle(0.1f), "0.1");
  EXPECT_EQ(FormatSingle(1.0f / 3.0f), "0.3333333");
  EXPECT_EQ(FormatSingle(9999999.0f), "9999999");
  EXPECT_EQ(FormatSingle(12345678.0f), "1.234568E+07");
  EXPECT_EQ(FormatSingle(0.0f), "0");
  EXPECT_EQ(FormatSingle(-0.0f), "0");
  EXPECT_EQ(FormatInt(-5), "-5");
  EXPECT_EQ(FormatInt(2003), "2003");
}

}  // namespace
}  // namespace mekuri
