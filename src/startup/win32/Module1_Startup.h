#pragma once
// The start-up procedure of the shared module: it prepares the state of
// state/win32/Module1.h, loads the main window and runs the message loop.
// It includes the windows; only main.cpp (and the tests) include it.
#include <string>

#include "state/win32/Module1.h"

namespace mekuri {

class InstanceMutex;

namespace Module1 {

// Steps that need no window: folder, PATH, user name, file paths, holiday
// table and switches. `appPath` is the program's folder.
void PrepareModule(const std::wstring& appPath, const std::wstring& userName);

// "..\;" in front of the process's PATH, for this process and its children;
// from then on libraries load only from the system folder or a full path.
void PrependParentToPath();

// The single-instance rule. When the running copy's main window (its class
// and its caption "めくりノート") exists, ask it to show itself: HandedOver.
// When this copy takes the desktop's mutex: Run. When another copy holds the
// mutex and shows no window within kHandOverWaitMs: NoAnswer; this copy ends.
enum class StartDecision { Run, HandedOver, NoAnswer };
StartDecision HandOverToRunningCopy(InstanceMutex& claim);

// Loads and shows the main window.
Form1* LoadMainForm();
// Ends the main window's life (tests load it again with other settings).
void UnloadMainForm();

// The whole start-up, then the message loop; the process's exit code.
int Main();

}  // namespace Module1
}  // namespace mekuri
