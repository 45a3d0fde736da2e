// The small parsers, one target each (-DFUZZ_ENTRY=<Name>), against a reference written from the rules or their inverse.
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "base/cp932.h"
#include "base/date.h"
#include "base/number.h"
#include "calendar/holidays.h"
#include "cipher/qzl_cipher.h"
#include "fuzz_common.h"
#include "timesignal/scheduled_messages.h"

namespace {

using fuzz::Digit;

std::vector<std::string> Lines(const std::string& text, size_t cut) {
  std::vector<std::string> lines(1);
  for (char c : text)
    if (c == '\n') lines.emplace_back();
    else if (lines.back().size() < cut) lines.back() += c;
  return lines;
}

template <typename Int> Int Rounded(double v) {  // ties to even, saturated
  const double r = std::nearbyint(v);
  return std::isnan(v) ? 0 : r <= std::numeric_limits<Int>::min() ? std::numeric_limits<Int>::min()
         : r >= std::numeric_limits<Int>::max() ? std::numeric_limits<Int>::max() : static_cast<Int>(r);
}

// Blanks, sign, digits, fraction, an exponent with a digit: the prefix strtod gets.
[[maybe_unused]] void Number(fuzz::Bytes in) {
  const std::string bytes = in.Rest();
  const std::string_view text(bytes);
  size_t i = text.find_first_not_of(" \t\r\n"), start = i, digits = 0;
  if (i == std::string_view::npos) i = start = text.size();
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  for (; i < text.size() && Digit(text[i]); ++i) ++digits;
  if (i < text.size() && text[i] == '.') for (++i; i < text.size() && Digit(text[i]); ++i) ++digits;
  size_t j = i + 1 < text.size() && (text[i + 1] == '+' || text[i + 1] == '-') ? i + 2 : i + 1;
  if (digits && i < text.size() && (text[i] == 'e' || text[i] == 'E') && j < text.size() && Digit(text[j])) {
    while (j < text.size() && Digit(text[j])) ++j;
    i = j;
  }
  const double want = digits ? std::strtod(std::string(text.substr(start, i - start)).c_str(), nullptr) : 0.0;
  const double got = mekuri::LeadingNumber(text), wide = mekuri::LeadingNumber(std::u16string(text.begin(), text.end()));
  FUZZ_CHECK(got == want && !(got == 0 && std::signbit(got)) && std::memcmp(&got, &wide, sizeof got) == 0, "%.17g %.17g", got, want);
  FUZZ_CHECK(mekuri::ToInt16(got) == Rounded<int16_t>(got) && mekuri::ToInt32(got) == Rounded<int32_t>(got), "%.17g", got);
  const float single = static_cast<float>(std::fmin(std::fmax(got, -3.4e38), 3.4e38));
  const std::string shown = mekuri::FormatSingle(single);
  FUZZ_CHECK(std::fabs(mekuri::LeadingNumber(shown) - single) <= std::fabs(single) * 5.0001e-7, "%s for %.9g", shown.c_str(), single);
}

bool RealDay(int y, int m, int d) {
  const int days[] = {31, 28 + (y % 4 == 0 && (y % 100 != 0 || y % 400 == 0)), 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return y >= 100 && y <= 9999 && m >= 1 && m <= 12 && d >= 1 && d <= days[m - 1];
}

bool HolidayShaped(std::string_view r) {
  r = r.substr(0, r.find('\0'));
  if (r.size() < 5 || r.size() > 6 || !Digit(r[0]) || !Digit(r[1])) return false;
  if (r[2] == '/')
    return r.size() == 5 ? Digit(r[3]) && Digit(r[4]) : ((r[3] >= '1' && r[3] <= '9') || (r[3] == '-' && r.substr(4) != "00")) && Digit(r[4]) && Digit(r[5]);
  return r.size() == 6 && r[2] == ':' && r[3] >= '1' && r[3] <= '5' && r[4] == ':' && r[5] >= '1' && r[5] <= '7' &&
         !(r[3] == '5' && r[5] > '3');
}

// S01, S02, ... one a line: taken up to the first rule not in its two forms; each key names a day the rule names.
[[maybe_unused]] void Holidays(fuzz::Bytes in) {
  const int m2 = in.Next() % 12 + 1, year = 100 + (in.Next() | in.Next() << 8) % 9900;
  const std::vector<std::string> entries = Lines(in.Rest(), 15);
  size_t reads = 0, taken = 0;
  const mekuri::HolidayTable table = mekuri::LoadHolidayTable([&](const std::string& key) {
    FUZZ_CHECK(key == "S" + std::string(reads < 9 ? "0" : "") + std::to_string(reads + 1), "read %s", key.c_str());
    return reads < entries.size() ? entries[reads++] : (++reads, std::string());
  });
  for (const std::string& e : entries) FUZZ_CHECK(mekuri::IsAcceptedHolidayRule(e) == HolidayShaped(e), "rule %s", e.c_str());
  while (taken < entries.size() && taken < 99 && !entries[taken].empty() && HolidayShaped(entries[taken])) ++taken;
  for (size_t i = 0; i < table.size(); ++i) FUZZ_CHECK(table[i] == (i && i <= taken ? entries[i - 1].substr(0, entries[i - 1].find('\0')) : ""), "entry %zu", i);
  const std::vector<std::string> rules(table.begin() + 1, table.begin() + 1 + taken);
  std::string want;
  for (const std::string& rule : rules) {
    const int month = std::stoi(rule.substr(0, 2)), y = year + (m2 == 1 && month == 12 ? -1 : m2 == 12 && month == 1);
    int d = 0;
    if (rule[2] == '/') d = std::stoi(rule.substr(3));
    else if (const auto first = mekuri::MakeDate(y, month, 1)) d = 1 + (rule[5] - '0' - mekuri::Weekday(*first) + 7) % 7 + 7 * (rule[3] - '1');
    char key[16];
    std::snprintf(key, sizeof key, "%04d%02d%02d/", y, month, d);
    if (RealDay(y, month, d)) want += key;
  }
  const std::string keys = mekuri::HolidayKeyList(rules, m2, year);
  FUZZ_CHECK(keys == want, "keys %s, not %s, for months around %d of %d", keys.c_str(), want.c_str(), m2, year);
}

// M01, M02, ...: "dd:dd/" and up to 100 more characters, up to the first that is not; each fires at second 0 of its minute.
[[maybe_unused]] void Messages(fuzz::Bytes in) {
  std::vector<mekuri::DateTime> times(in.Next() % 4);
  for (auto& at : times) at.hour = in.Next() % 24, at.minute = in.Next() % 60;
  const std::vector<std::string> entries = Lines(in.Rest(), 255);
  size_t reads = 0, taken = 0;
  const mekuri::MessageTable table = mekuri::LoadMessageTable([&](const std::string&) { return reads < entries.size() ? entries[reads++] : (++reads, std::string()); });
  bool stopped = false;
  for (const std::string& entry : entries) {
    const std::u16string e = mekuri::FromCp932(entry.substr(0, entry.find('\0')));
    const bool shaped = e.size() >= 6 && e.size() <= 106 && Digit(e[0]) && Digit(e[1]) && e[2] == u':' && Digit(e[3]) && Digit(e[4]) && e[5] == u'/';
    FUZZ_CHECK(mekuri::IsAcceptedMessageEntry(e) == shaped && mekuri::FromCp932(mekuri::ToCp932(e)) == e, "entry %zu", taken);
    stopped = stopped || !shaped || taken == 10;
    if (!stopped) FUZZ_CHECK(table[++taken] == e && mekuri::MessageTime(e) + u"/" + mekuri::MessageText(e) == e, "entry %zu", taken);
  }
  for (size_t i = taken + 1; i < table.size(); ++i) FUZZ_CHECK(table[i].empty(), "entry %zu is set", i);
  auto hhmm = [](const std::u16string& e) { return ((e[0] - u'0') * 10 + e[1] - u'0') * 100 + (e[3] - u'0') * 10 + e[4] - u'0'; };
  for (size_t i = 1; i <= taken; ++i) times.push_back({{}, hhmm(table[i]) / 100, hhmm(table[i]) % 100, 0, 0});
  mekuri::MessageTicker ticker;
  for (mekuri::DateTime at : times) {
    std::vector<int> wanted;
    for (size_t i = 1; i <= taken; ++i) if (hhmm(table[i]) == at.hour * 100 + at.minute) wanted.push_back(static_cast<int>(i));
    at.second = 59;
    FUZZ_CHECK(ticker.Tick(table, at).empty(), "due at second 59");
    at.second = 0;
    FUZZ_CHECK(ticker.Tick(table, at) == wanted && ticker.Tick(table, at).empty(), "%02d:%02d", at.hour, at.minute);
  }
}

// Deciphering stays inside its room, writes nothing when it fails and succeeds only for what enciphering gives exactly.
qzl::Result Decipher(const std::string& text, int32_t cap, std::string* plain) {
  std::vector<char> exact(text.begin(), text.end()), out(static_cast<size_t>(cap) + 64, '\xA5');
  const qzl::Result r = qzl::Decipher(exact.data(), static_cast<int32_t>(exact.size()), out.data() + 32, cap);
  const size_t used = r == qzl::kOk ? strnlen(out.data() + 32, static_cast<size_t>(cap)) : 0;
  FUZZ_CHECK(r != qzl::kOk || used < static_cast<size_t>(cap), "no NUL within %d", cap);
  for (size_t i = 0; i < out.size(); ++i) FUZZ_CHECK(out[i] == '\xA5' || (r == qzl::kOk && i >= 32 && i < 32 + size_t(cap)), "wrote at %zu", i);
  if (plain) plain->assign(out.data() + 32, used);
  return r;
}

std::string Encipher(const std::string& plain, qzl::Nonce nonce) {
  const std::string kept = plain.substr(0, plain.find('\0'));
  std::vector<char> out(static_cast<size_t>(qzl::EncipheredLength(static_cast<int64_t>(kept.size()))) + 1);
  const int32_t n = static_cast<int32_t>(plain.size()), room = static_cast<int32_t>(out.size());
  FUZZ_CHECK(qzl::Encipher(plain.data(), n, nonce, out.data(), room - 1) == qzl::kCapacityTooSmall &&
             qzl::Encipher(plain.data(), n, nonce, out.data(), room) == qzl::kOk, "room for %zu bytes", kept.size());
  return out.data();
}

[[maybe_unused]] void Decipher(fuzz::Bytes in) {
  const uint8_t mode = in.Next(), n0 = in.Next(), n1 = in.Next();
  const std::string rest = in.Rest();
  std::string plain, back;
  if (Decipher(rest, (n0 | (n1 & 0x0F) << 8), &plain) == qzl::kOk) {
    const std::string value = rest.substr(0, rest.find('\0'));
    const char* abc = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    uint32_t g = 0;
    for (int i = 0; i < 4; ++i) g = g << 6 | static_cast<uint32_t>(std::strchr(abc, value[i]) - abc);
    FUZZ_CHECK(Encipher(plain, {uint8_t(g >> 16), uint8_t(g >> 8), uint8_t(g)}) == value, "%s is no value of ours", value.c_str());
  }
  const std::string source = rest.substr(0, rest.find('\0')), value = Encipher(rest, {mode, n0, n1});
  FUZZ_CHECK(Decipher(value, static_cast<int32_t>(source.size()) + 1, &back) == qzl::kOk && back == source, "round trip");
  FUZZ_CHECK(Decipher(value, static_cast<int32_t>(source.size()), nullptr) == qzl::kCapacityTooSmall, "%zu bytes fit", source.size());
  const size_t at = (mode << 8 | n0) % value.size();
  std::string changed = value;
  changed[at] = static_cast<char>(changed[at] + 1 + n1 % 255);
  FUZZ_CHECK(Decipher(changed, 4096, nullptr) != qzl::kOk && Decipher(value.substr(0, at), 4096, nullptr) != qzl::kOk &&
                 Decipher(value + value.substr(at & ~size_t{3}, 4), 4096, nullptr) != qzl::kOk, "%s changed at %zu still deciphers", value.c_str(), at);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size <= 4096) FUZZ_ENTRY(fuzz::Bytes(data, size));
  return 0;
}
