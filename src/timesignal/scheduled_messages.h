#pragma once
// Up to ten daily messages from the settings keys M01..M10, each "hh:mm/"
// followed by a text of up to 100 characters, shown at their minute.
#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/date.h"

namespace mekuri {

// strMsgTable: entries 1..10; the first empty entry ends the table.
using MessageTable = std::array<std::u16string, 11>;

bool IsAcceptedMessageEntry(std::u16string_view entry);

// Reads "M01", "M02", ... through `readKey`, which answers the bytes a read
// with default "" and a 256-byte buffer returns, until the first missing,
// short, long or malformed entry.
MessageTable LoadMessageTable(const std::function<std::string(const std::string& key)>& readKey);
MessageTable LoadMessageTable(const std::filesystem::path& iniFile);

// The 250 ms check: converts the table at its first use, then on the first
// tick of second :00 of each minute answers the entries due at that minute.
class MessageTicker {
 public:
  std::vector<int> Tick(const MessageTable& table, const DateTime& now);

  std::array<int32_t, 11> lMsgTime{};
  int nMsgCount = 0;
  bool fMsgParsed = false;
  bool fMsgSecondDone = false;
};

// "hh:mm" and the text of an entry, as its message window shows them.
std::u16string MessageTime(std::u16string_view entry);
std::u16string MessageText(std::u16string_view entry);

}  // namespace mekuri
