#include "commonlist/common_list.h"

#include <cstdio>
#include <string>

#include "base/texts.h"

namespace mekuri {

CommonButtons ButtonsFor(size_t count, size_t room) {
  const bool any = count > 0;
  return CommonButtons{count < room, any, any};
}

AddStep DecideAdd(bool addEnabled, std::u16string_view text, std::u16string_view lastAdded, bool textEntered) {
  if (!addEnabled) return AddStep::Ignore;
  if (text.empty() || text == lastAdded) return AddStep::Refocus;
  if (!textEntered) return AddStep::Prompt;
  return AddStep::Append;
}

DropCheck CheckDrop(size_t count, size_t files, size_t room) {
  if (files > kMaxDroppedFiles) return DropCheck::TooManyFiles;
  if (count + files > room) return DropCheck::ListFull;
  return DropCheck::Accept;
}

std::u16string DroppedItemText(std::u16string_view path) {
  if (path.size() <= kCommonMaxChars) return std::u16string(path);
  size_t keep = kCommonMaxChars - 3;
  // A character beyond the basic plane is two units; it goes whole or not at all.
  const bool splitsPair = path[keep - 1] >= 0xD800 && path[keep - 1] <= 0xDBFF && path[keep] >= 0xDC00 &&
                          path[keep] <= 0xDFFF;
  if (splitsPair) --keep;
  return std::u16string(path.substr(0, keep)) + u"...";
}

std::vector<ListMenuEntry> ListMenuEntries(size_t count, bool selected) {
  std::vector<ListMenuEntry> entries;
  constexpr ListMenuEntry kSeparator{0, u""};
  if (count > 0) {
    entries.insert(entries.end(), {{kListSortAscending, kListMenuSortAscending},
                                   {kListSortDescending, kListMenuSortDescending},
                                   kSeparator,
                                   {kListCheckAll, kListMenuCheckAll},
                                   {kListUncheckAll, kListMenuUncheckAll},
                                   kSeparator});
  }
  if (selected) entries.insert(entries.end(), {{kListDeleteOne, kListMenuDeleteOne}, kSeparator});
  if (count > 0) {
    entries.insert(entries.end(), {{kListDeleteChecked, kListMenuDeleteChecked},
                                   kSeparator,
                                   {kListDeleteAll, kListMenuDeleteAll},
                                   kSeparator});
  }
  entries.push_back({kListClose, kCloseWord});
  return entries;
}

ListKey ListKeyAction(int keyCode, int shift) {
  constexpr int kDelete = 46, kInsert = 45;
  if (keyCode == kDelete && shift == 0) return ListKey::DeleteOne;
  if (shift != 2) return ListKey::None;  // Ctrl alone: Ctrl+Shift or Ctrl+Alt do nothing
  switch (keyCode) {
    case kInsert:
    case 'C':
      return ListKey::Copy;
    case 'A':
      return ListKey::CheckAll;
    case 'D':
      return ListKey::UncheckAll;
    default:
      return ListKey::None;
  }
}

int SelectionAfterDelete(int removed, size_t countAfter) {
  if (removed < 0 || countAfter == 0) return -1;
  return removed < static_cast<int>(countAfter) ? removed : static_cast<int>(countAfter) - 1;
}

std::u16string UnreadableItemsPrompt(int count) {
  std::u16string number;
  for (char c : std::to_string(count)) number += static_cast<char16_t>(c);
  return std::u16string(kUnreadableItemsBefore) + number + std::u16string(kUnreadableItemsAfter);
}

std::u16string ClockCaption(std::u16string_view caption, int hour, int minute) {
  char time[8];
  std::snprintf(time, sizeof time, "%02d:%02d", hour, minute);
  std::u16string text(caption.substr(0, 4));
  text += u' ';
  for (const char* c = time; *c; ++c) text += static_cast<char16_t>(*c);
  return text;
}

}  // namespace mekuri
