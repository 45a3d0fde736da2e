// The leading-number value and the conversions around it. The value must be
// what the C library's strtod reads from the prefix our grammar allows (both
// round correctly), the same for narrow and wide text; the integer
// conversions must round half to even and saturate; the text forms must read
// back as the number they stand for.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "base/number.h"
#include "fuzz_common.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Blanks, sign, digits, fraction, exponent with at least one digit; strtod
// would also take hex, "inf", "nan" and more blanks, so it only gets this.
double Reference(std::string_view text) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
  const size_t start = i;
  if (i < n && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  for (; i < n && IsDigit(text[i]); ++i) ++digits;
  if (i < n && text[i] == '.') {
    for (++i; i < n && IsDigit(text[i]); ++i) ++digits;
  }
  if (digits == 0) return 0.0;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < n && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < n && IsDigit(text[j])) {
      while (j < n && IsDigit(text[j])) ++j;
      i = j;
    }
  }
  const std::string prefix(text.substr(start, i - start));
  return std::strtod(prefix.c_str(), nullptr);
}

template <typename Int>
Int Rounded(double value) {
  if (std::isnan(value)) return 0;
  const double r = std::nearbyint(value);  // the default mode: ties to even
  if (r <= static_cast<double>(std::numeric_limits<Int>::min())) return std::numeric_limits<Int>::min();
  if (r >= static_cast<double>(std::numeric_limits<Int>::max())) return std::numeric_limits<Int>::max();
  return static_cast<Int>(r);
}

void CheckConversions(double value) {
  const int16_t i16 = mekuri::ToInt16(value);
  const int32_t i32 = mekuri::ToInt32(value);
  FUZZ_CHECK(i16 == Rounded<int16_t>(value), "ToInt16(%.17g) = %d", value, i16);
  FUZZ_CHECK(i32 == Rounded<int32_t>(value), "ToInt32(%.17g) = %d", value, i32);
}

void CheckSingle(float value) {
  const std::string text = mekuri::FormatSingle(value);
  if (!std::isfinite(value)) return;
  FUZZ_CHECK(text.find_first_not_of("0123456789.-+E") == std::string::npos, "FormatSingle(%.9g) = %s",
             value, text.c_str());
  const double back = mekuri::LeadingNumber(text);
  FUZZ_CHECK(std::fabs(back - value) <= std::fabs(static_cast<double>(value)) * 5.0001e-7,
             "FormatSingle(%.9g) = %s reads back as %.17g", value, text.c_str(), back);
  if (value == std::trunc(value) && std::fabs(value) < 1e7f) {
    FUZZ_CHECK(text == mekuri::FormatInt(static_cast<long long>(value)), "FormatSingle(%.9g) = %s", value,
               text.c_str());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8192) return 0;  // longer texts only repeat digits
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const double value = mekuri::LeadingNumber(text);
  const double expected = Reference(text);
  FUZZ_CHECK(value == expected && (value != 0 || !std::signbit(value)),
             "LeadingNumber(%s) = %.17g, strtod gives %.17g", fuzz::Show(text).c_str(), value, expected);

  // Wide text of the same code units: only ASCII counts either way.
  std::u16string wide;
  for (unsigned char c : text) wide += static_cast<char16_t>(c);
  const double wideValue = mekuri::LeadingNumber(wide);
  FUZZ_CHECK(std::memcmp(&wideValue, &value, sizeof value) == 0, "wide %.17g, narrow %.17g", wideValue, value);

  CheckConversions(value);
  if (size >= 8) {
    double raw;
    std::memcpy(&raw, data, sizeof raw);
    CheckConversions(raw);
    long long whole;
    std::memcpy(&whole, data, sizeof whole);
    const std::string digits = mekuri::FormatInt(whole);
    FUZZ_CHECK(digits == std::to_string(whole), "FormatInt(%lld) = %s", whole, digits.c_str());
  }
  if (size >= 4) {
    float single;
    std::memcpy(&single, data + size - 4, sizeof single);
    CheckSingle(single);
  }
  CheckSingle(static_cast<float>(std::fmin(std::fmax(value, -3.4e38), 3.4e38)));
  return 0;
}
