#pragma once
// The Ctrl-key seam: Ctrl turns a memo window's minimise and close into group
// operations. Tests set the state instead of holding the key.
namespace mekuri::win {

// Whether Ctrl is held now: the asynchronous key state read twice, the
// second reading used, so that only the current state counts.
bool CtrlHeld();

// The modifier mask of a key message: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftState();

// Tests: 1 held, 0 released, -1 the real key again.
void SetCtrlForTesting(int state);

}  // namespace mekuri::win
