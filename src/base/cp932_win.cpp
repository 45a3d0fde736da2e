#include <windows.h>

#include <climits>

#include "base/cp932.h"

namespace mekuri {

namespace {

constexpr UINT kCodePage = 932;

}  // namespace

std::string ToCp932(std::u16string_view text) {
  if (text.empty() || text.size() > INT_MAX / 2) return std::string();
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  // No best fit: a character without its own code becomes "?" instead of a
  // look-alike that would read back as something else.
  const int bytes = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, "?", nullptr);
  if (bytes <= 0) return std::string();
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, length, out.data(), bytes, "?", nullptr);
  return out;
}

std::u16string FromCp932(std::string_view bytes) {
  if (bytes.empty() || bytes.size() > INT_MAX) return std::u16string();
  const int length = static_cast<int>(bytes.size());
  const int units = MultiByteToWideChar(kCodePage, 0, bytes.data(), length, nullptr, 0);
  if (units <= 0) return std::u16string();
  std::u16string out(static_cast<size_t>(units), u'\0');
  MultiByteToWideChar(kCodePage, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(out.data()), units);
  return out;
}

}  // namespace mekuri
