#include "timesignal/scheduled_messages.h"

#include <cstdio>

#include "base/cp932.h"
#include "base/number.h"
#include "platform/profile.h"
#include "settings/settings.h"

namespace mekuri {
namespace {

constexpr size_t kMinEntry = 6;    // "hh:mm/"
constexpr size_t kMaxEntry = 106;  // and 100 characters of text

// Two characters that are exactly the two-digit rendering of their value.
bool IsTwoDigitField(std::u16string_view field) {
  const double value = LeadingNumber(field);
  char rendered[8];
  std::snprintf(rendered, sizeof rendered, "%02d", static_cast<int>(ToInt32(value)));
  return value >= 0 && value < 100 && field.size() == 2 && field[0] == rendered[0] && field[1] == rendered[1] &&
         rendered[2] == '\0';
}

std::string Key(int index) {
  char key[8];
  std::snprintf(key, sizeof key, "M%02d", index);
  return key;
}

}  // namespace

bool IsAcceptedMessageEntry(std::u16string_view entry) {
  return entry.size() >= kMinEntry && entry.size() <= kMaxEntry && entry[5] == u'/' && entry[2] == u':' &&
         IsTwoDigitField(entry.substr(0, 2)) && IsTwoDigitField(entry.substr(3, 2));
}

MessageTable LoadMessageTable(const std::function<std::string(const std::string& key)>& readKey) {
  MessageTable table;
  for (int i = 1; i <= 10; ++i) {
    const std::string bytes = readKey(Key(i));
    if (bytes.size() < kMinEntry) break;
    const std::u16string text = FromCp932(bytes.substr(0, bytes.find('\0')));
    if (text.size() > kMaxEntry || !IsAcceptedMessageEntry(text)) break;
    table[i] = text;
  }
  return table;
}

MessageTable LoadMessageTable(const std::filesystem::path& iniFile) {
  return LoadMessageTable([&](const std::string& key) {
    const profile::ReadResult read = profile::Read(kSection, key, "", 256, iniFile);
    return read.text.substr(0, read.count);
  });
}

std::vector<int> MessageTicker::Tick(const MessageTable& table, const DateTime& now) {
  std::vector<int> due;
  if (table[1].empty()) return due;
  if (!fMsgParsed) {
    nMsgCount = 10;
    for (int i = 1; i <= 10; ++i) {
      if (table[i].empty()) {
        nMsgCount = i - 1;
        break;
      }
      lMsgTime[i] = ToInt32(LeadingNumber(table[i]) * 100 +
                            LeadingNumber(std::u16string_view(table[i]).substr(3)));
    }
    fMsgParsed = true;
  }
  if (now.second != 0) {
    fMsgSecondDone = false;
    return due;
  }
  if (fMsgSecondDone) return due;
  fMsgSecondDone = true;
  const int32_t hhmm = now.hour * 100 + now.minute;
  for (int j = 1; j <= nMsgCount; ++j) {
    if (lMsgTime[j] == hhmm) due.push_back(j);
  }
  return due;
}

std::u16string MessageTime(std::u16string_view entry) { return std::u16string(entry.substr(0, 5)); }
std::u16string MessageText(std::u16string_view entry) {
  return entry.size() > 6 ? std::u16string(entry.substr(6)) : u"";
}

}  // namespace mekuri
