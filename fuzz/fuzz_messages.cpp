// Scheduled messages. The input holds a few clock times and then the bytes of
// M01, M02, ... one per line, as a 256-byte read returns them. An entry must
// be taken exactly when it is "dd:dd/" and at most 100 more characters; the
// table must stop at the first entry that is not; and the ticker must answer,
// once per minute at second :00, exactly the entries written for that minute.
#include <cstdint>
#include <string>
#include <vector>

#include "base/cp932.h"
#include "fuzz_common.h"
#include "timesignal/scheduled_messages.h"

namespace {

bool Digit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool Shaped(std::u16string_view e) {
  return e.size() >= 6 && e.size() <= 106 && Digit(e[0]) && Digit(e[1]) && e[2] == u':' && Digit(e[3]) &&
         Digit(e[4]) && e[5] == u'/';
}

int Hhmm(std::u16string_view e) { return ((e[0] - u'0') * 10 + (e[1] - u'0')) * 100 + (e[3] - u'0') * 10 + (e[4] - u'0'); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  fuzz::Bytes in(data, size);
  std::vector<mekuri::DateTime> times;
  for (int n = in.Next() % 4; n > 0; --n) {
    mekuri::DateTime at;
    at.hour = in.Next() % 24;
    at.minute = in.Next() % 60;
    times.push_back(at);
  }

  std::vector<std::string> entries;
  std::string line;
  for (const char c : in.Rest()) {
    if (c == '\n') {
      entries.push_back(line.substr(0, 255));
      line.clear();
    } else {
      line += c;
    }
  }
  entries.push_back(line.substr(0, 255));

  size_t reads = 0;
  const mekuri::MessageTable table = mekuri::LoadMessageTable([&](const std::string&) {
    return reads < entries.size() ? entries[reads++] : (++reads, std::string());
  });

  size_t taken = 0;
  bool stopped = false;
  for (const std::string& entry : entries) {
    const std::string cut = entry.substr(0, entry.find('\0'));
    const std::u16string text = mekuri::FromCp932(cut);
    const bool shaped = Shaped(text);
    FUZZ_CHECK(mekuri::IsAcceptedMessageEntry(text) == shaped, "entry %s", fuzz::Show(cut).c_str());
    // A character read from the file and written back must read the same.
    FUZZ_CHECK(mekuri::FromCp932(mekuri::ToCp932(text)) == text, "%s changes on a round trip",
               fuzz::Show(cut).c_str());
    if (shaped) {
      FUZZ_CHECK(mekuri::MessageTime(text) + u"/" + mekuri::MessageText(text) == text, "parts of %s",
                 fuzz::Show(cut).c_str());
    }
    if (!stopped && shaped && taken < 10) {
      ++taken;
      FUZZ_CHECK(table[taken] == text, "table entry %zu", taken);
    } else {
      stopped = true;
    }
  }
  for (size_t i = taken + 1; i < table.size(); ++i) FUZZ_CHECK(table[i].empty(), "table entry %zu is set", i);

  // Each entry's own minute, when it is a real one, and the input's times.
  for (size_t i = 1; i <= taken; ++i) {
    const int hhmm = Hhmm(table[i]);
    if (hhmm / 100 < 24 && hhmm % 100 < 60) {
      mekuri::DateTime at;
      at.hour = hhmm / 100;
      at.minute = hhmm % 100;
      times.push_back(at);
    }
  }
  mekuri::MessageTicker ticker;
  for (mekuri::DateTime at : times) {
    std::vector<int> wanted;
    for (size_t i = 1; i <= taken; ++i) {
      if (Hhmm(table[i]) == at.hour * 100 + at.minute) wanted.push_back(static_cast<int>(i));
    }
    at.second = 59;
    FUZZ_CHECK(ticker.Tick(table, at).empty(), "due at second 59");
    at.second = 0;
    FUZZ_CHECK(ticker.Tick(table, at) == wanted, "%zu due at %02d:%02d", wanted.size(), at.hour, at.minute);
    FUZZ_CHECK(ticker.Tick(table, at).empty(), "due twice in one second");
  }
  return 0;
}
