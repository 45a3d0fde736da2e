#include "base/cp932.h"

#include <gtest/gtest.h>

namespace mekuri {
namespace {

using namespace std::string_literals;

TEST(Cp932Test, JapaneseTextRoundTrips) {
  const std::u16string text = u"めくりノート 2004/09/10 ～（）①髙ｱ\\~\0x"s;
  const std::string bytes = ToCp932(text);
  EXPECT_EQ(bytes.substr(0, 6), "\x82\xDF\x82\xAD\x82\xE8");
  EXPECT_NE(bytes.find("\x81\x60\x81\x69\x81\x6A\x87\x40\xFB\xFC\xB1\\~", 0), std::string::npos);
  EXPECT_EQ(FromCp932(bytes), text);
}

TEST(Cp932Test, CharactersWithoutTheirOwnCodeBecomeQuestionMarks) {
  // U+301C and U+00A5 only have look-alikes in code page 932.
  EXPECT_EQ(ToCp932(u"a\u301Cb\u00A5c\u20AC"), "a?b?c?");
  EXPECT_EQ(ToCp932(u"\U0001F600a"), "??a");  // Windows converts unit by unit
  EXPECT_EQ(ToCp932(std::u16string(1, char16_t(0xD800)) + u"x"), "?x");
}

TEST(Cp932Test, InvalidBytesBecomeOneMarkEach) {
  EXPECT_EQ(FromCp932("\x80\xA0\xFF"), u"\u0080\uF8F0\uF8F3");  // as Windows' table has them
  EXPECT_EQ(ToCp932(u"\u0080\uF8F0\uF8F3"), "\x80\xA0\xFF");
  EXPECT_EQ(FromCp932("a\x85\x40" "b"), u"a\u30FBb");  // unassigned pair
  EXPECT_EQ(FromCp932("\x81 z"), u"\u30FBz");         // a lead byte takes any next byte
  EXPECT_EQ(FromCp932("\x81\0z"s), u"\u30FB\0z"s);     // except a NUL
  EXPECT_EQ(FromCp932("ok\x82"), u"ok\u30FB");         // cut at the end
}

TEST(Utf8Test, ConvertsBothWaysAndReplacesBrokenInput) {
  EXPECT_EQ(ToUtf8(u"日\U0001F600a"), "\xE6\x97\xA5\xF0\x9F\x98\x80" "a");
  EXPECT_EQ(FromUtf8("\xE6\x97\xA5\xF0\x9F\x98\x80" "a"), u"日\U0001F600a");
  EXPECT_EQ(FromUtf8("\xE6\x97" "a\xC0\xAF\xFF"), u"\uFFFDa\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace mekuri
