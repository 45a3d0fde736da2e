#include "platform/win32/guard.h"

#include "base/texts.h"
#include "platform/win32/message_box.h"
#include "platform/win32/text.h"

namespace mekuri::win {

void ReportStoppedAction() noexcept {
  // The box's own message loop may meet the same failure again; one box is enough.
  static bool showing = false;
  if (showing) return;
  showing = true;
  try {
    ShowMessageBox(nullptr, Wide(kStoppedActionPrompt), Wide(kStopTitle),
                   MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
  } catch (...) {
    // Nothing more can be said.
  }
  showing = false;
}

}  // namespace mekuri::win
