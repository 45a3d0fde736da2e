#pragma once
// The rules of the common-information list that need no window: when the
// buttons are enabled, what the add button does, which file drops are taken,
// the pop-up menu's entries, the list's keys and the caption clock.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mekuri {

inline constexpr size_t kCommonMaxItems = 100;
inline constexpr size_t kCommonMaxChars = 100;  // the text box's limit and the cut of dropped paths
inline constexpr size_t kMaxDroppedFiles = 10;

// The pop-up menu's commands; they reach the list itself, not the main window.
enum ListCommand : uint16_t {
  kListSortAscending = 0xC001,
  kListSortDescending = 0xC002,
  kListCheckAll = 0xC011,
  kListUncheckAll = 0xC012,
  kListDeleteOne = 0xC00E,
  kListDeleteChecked = 0xC00D,
  kListDeleteAll = 0xC00F,
  kListClose = 0xCFFF,
};

// Modify and delete need an item; add needs room. `room` is how many items
// the list may hold: fewer than 100 when stored values it could not read keep
// their keys.
struct CommonButtons {
  bool add = true;
  bool modify = false;
  bool remove = false;
};
CommonButtons ButtonsFor(size_t count, size_t room = kCommonMaxItems);

enum class AddStep {
  Ignore,   // the button is disabled
  Refocus,  // nothing to add, or the same text again: back to the text box
  Prompt,   // the box still holds the placeholder: ask for a text
  Append,
};
AddStep DecideAdd(bool addEnabled, std::u16string_view text, std::u16string_view lastAdded, bool textEntered);

enum class DropCheck { Accept, TooManyFiles, ListFull };
DropCheck CheckDrop(size_t count, size_t files, size_t room = kCommonMaxItems);
// A dropped file's path as a list text: longer than 100 units, its first 97
// (96 when the 97th begins a surrogate pair) and "...".
std::u16string DroppedItemText(std::u16string_view path);

// One entry of the pop-up menu; id 0 is a separator.
struct ListMenuEntry {
  uint16_t id;
  std::u16string_view text;
};
std::vector<ListMenuEntry> ListMenuEntries(size_t count, bool selected);

// The list's keys; `shift` is the modifier mask (1 Shift, 2 Ctrl, 4 Alt).
enum class ListKey { None, DeleteOne, Copy, CheckAll, UncheckAll };
ListKey ListKeyAction(int keyCode, int shift);

// The item to select after deleting item `removed`; -1 for none.
int SelectionAfterDelete(int removed, size_t countAfter);

// The notice of `count` stored items that could not be read.
std::u16string UnreadableItemsPrompt(int count);

// "共通情報 09:05": the design caption's first four characters and the time.
std::u16string ClockCaption(std::u16string_view caption, int hour, int minute);

}  // namespace mekuri
