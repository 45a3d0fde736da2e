#pragma once
// The date the date dialog hands to the main window once it has closed.
#include "base/date.h"
#include "memo/date_entry.h"

namespace mekuri::Module1 {

// Today when the dialog opens; the typed date after "開く", kCancelDate after
// "閉じる" or Esc. Closing through the frame leaves it at today.
extern Date pickedDate;

}  // namespace mekuri::Module1
