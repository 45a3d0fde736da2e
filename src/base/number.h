#pragma once
// The leading-number value of a text and the program's integer conversions.
#include <cstdint>
#include <string>
#include <string_view>

namespace mekuri {

// The numeric value of the number at the start of the text: leading blanks
// (space, tab, CR, LF) skipped, an optional sign, digits, an optional decimal
// part and an optional exponent ("e" or "E", optional sign, digits). A text
// that does not start with a number gives 0. Only ASCII digits count.
double LeadingNumber(std::string_view text);
double LeadingNumber(std::u16string_view text);

// Round to the nearest integer, ties to even; values beyond the type's range
// saturate at its limits.
int16_t ToInt16(double value);
int32_t ToInt32(double value);

// Decimal text of a single-precision number: whole numbers without a decimal
// point ("1200", "-480000"), others with at most 7 significant digits.
std::string FormatSingle(float value);

// Plain decimal text of an integer ("2003", "-5").
std::string FormatInt(long long value);

}  // namespace mekuri
