#include "base/number.h"

#include <gtest/gtest.h>

#include <limits>

#include "base/cp932.h"

namespace mekuri {
namespace {

TEST(NumberTest, LeadingNumberReadsOnlyTheNumberAtTheStart) {
  const std::pair<const char*, double> cases[] = {
      {"2e3", 2000},   {"1200.5", 1200.5}, {"-30", -30},   {" 12abc", 12},  {"abc", 0},
      {".", 0},        {"1e", 1},          {"+.5", 0.5},   {"", 0},         {"-", 0},
      {"\t\r\n 7", 7}, {"5.", 5},          {"25E-2", 0.25}, {"1e+", 1},     {"12.5.3", 12.5},
      {"--1", 0},      {"1 2", 1},         {"0x10", 0},    {"1e-400", 0},   {"\v1", 0}};
  for (const auto& [text, value] : cases) {
    EXPECT_EQ(LeadingNumber(text), value) << text;
    EXPECT_EQ(LeadingNumber(FromUtf8(text)), value) << text;
  }
  EXPECT_EQ(LeadingNumber("-1e99999999999999999999"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(LeadingNumber(u"１２"), 0);  // full-width digits are no digits
  EXPECT_EQ(LeadingNumber(u"12年"), 12);
}

TEST(NumberTest, ConversionsRoundHalfToEvenAndSaturate) {
  struct Case {
    double value;
    int16_t i16;
    int32_t i32;
  };
  const Case cases[] = {{1200.5, 1200, 1200},       {1201.5, 1202, 1202},     {-2.5, -2, -2},
                        {-3.5, -4, -4},             {0.5, 0, 0},              {2.4999, 2, 2},
                        {-0.6, -1, -1},             {32767.5, 32767, 32768},  {-40000, -32768, -40000},
                        {2147483647.5, 32767, 2147483647}, {-1e300, -32768, INT32_MIN},
                        {std::numeric_limits<double>::quiet_NaN(), 0, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(ToInt16(c.value), c.i16) << c.value;
    EXPECT_EQ(ToInt32(c.value), c.i32) << c.value;
  }
}

TEST(NumberTest, SingleTextHasSevenSignificantDigits) {
  const std::pair<float, const char*> cases[] = {
      {1200.0f, "1200"}, {-480000.0f, "-480000"}, {1200.5f, "1200.5"},         {0.1f, "0.1"},
      {1.0f / 3.0f, "0.3333333"}, {9999999.0f, "9999999"}, {12345678.0f, "1.234568E+07"},
      {-0.0f, "0"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(FormatSingle(value), text);
  EXPECT_EQ(FormatInt(-2003), "-2003");
}

}  // namespace
}  // namespace mekuri
