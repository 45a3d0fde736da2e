#include "base/number.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace mekuri {

namespace {

// Exponents beyond this are infinite or zero for a double anyway; the cap
// keeps the digit accumulation from overflowing.
constexpr int kExponentCap = 100000;

template <typename Char>
bool IsDigit(Char c) {
  return c >= Char('0') && c <= Char('9');
}

template <typename Char>
bool IsBlank(Char c) {
  return c == Char(' ') || c == Char('\t') || c == Char('\r') || c == Char('\n');
}

// Scans the number by hand and lets from_chars (locale-free) do the exact
// decimal-to-binary rounding on a normalised copy.
template <typename Char>
double Leading(std::basic_string_view<Char> text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;

  bool negative = false;
  if (i < text.size() && (text[i] == Char('+') || text[i] == Char('-'))) {
    negative = text[i] == Char('-');
    ++i;
  }

  std::string intDigits;
  std::string fracDigits;
  while (i < text.size() && IsDigit(text[i])) intDigits += static_cast<char>(text[i++]);
  if (i < text.size() && text[i] == Char('.')) {
    ++i;
    while (i < text.size() && IsDigit(text[i])) fracDigits += static_cast<char>(text[i++]);
  }
  if (intDigits.empty() && fracDigits.empty()) return 0.0;

  // The exponent counts only when at least one digit follows its sign.
  long exponent = 0;
  if (i < text.size() && (text[i] == Char('e') || text[i] == Char('E'))) {
    size_t j = i + 1;
    bool expNegative = false;
    if (j < text.size() && (text[j] == Char('+') || text[j] == Char('-'))) {
      expNegative = text[j] == Char('-');
      ++j;
    }
    if (j < text.size() && IsDigit(text[j])) {
      while (j < text.size() && IsDigit(text[j])) {
        if (exponent < kExponentCap) exponent = exponent * 10 + static_cast<long>(text[j] - Char('0'));
        ++j;
      }
      if (exponent > kExponentCap) exponent = kExponentCap;
      if (expNegative) exponent = -exponent;
    }
  }

  const size_t firstNonZero = (intDigits + fracDigits).find_first_not_of('0');
  if (firstNonZero == std::string::npos) return 0.0;

  std::string normal = intDigits.empty() ? "0" : intDigits;
  if (!fracDigits.empty()) normal += "." + fracDigits;
  normal += "e" + std::to_string(exponent);

  double value = 0.0;
  const auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
  (void)end;
  if (ec == std::errc::result_out_of_range) {
    // Decimal exponent of the first significant digit decides which way.
    const long magnitude = static_cast<long>(intDigits.size()) - 1 - static_cast<long>(firstNonZero) + exponent;
    value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (ec != std::errc()) {
    value = 0.0;
  }
  if (value == 0.0) return 0.0;  // no negative zero from "-0" or an underflow
  return negative ? -value : value;
}

template <typename Int>
Int RoundToInt(double value) {
  if (std::isnan(value)) return 0;
  double whole = std::floor(value);
  const double fraction = value - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  constexpr double kMin = static_cast<double>(std::numeric_limits<Int>::min());
  constexpr double kMax = static_cast<double>(std::numeric_limits<Int>::max());
  if (whole <= kMin) return std::numeric_limits<Int>::min();
  if (whole >= kMax) return std::numeric_limits<Int>::max();
  return static_cast<Int>(whole);
}

}  // namespace

double LeadingNumber(std::string_view text) { return Leading(text); }

double LeadingNumber(std::u16string_view text) { return Leading(text); }

int16_t ToInt16(double value) { return RoundToInt<int16_t>(value); }

int32_t ToInt32(double value) { return RoundToInt<int32_t>(value); }

std::string FormatSingle(float value) {
  if (value == 0.0f || std::isnan(value)) return "0";
  // Seven significant digits in the shortest of fixed or exponent form,
  // the exponent written as "E+07" the way the program's runtime wrote it.
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 7);
  if (ec != std::errc()) return "0";
  std::string out(buffer, end);
  for (char& c : out) {
    if (c == 'e') c = 'E';
  }
  return out;
}

std::string FormatInt(long long value) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)ec;
  return std::string(buffer, end);
}

}  // namespace mekuri
