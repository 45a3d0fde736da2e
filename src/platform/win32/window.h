#pragma once
// One object per window. The class is registered once as "Mekurinote." plus
// the form's name; the static procedure binds the object on WM_NCCREATE and
// every message then goes to HandleMessage. Loaded windows are kept in load
// order, which is the collection the program walks to close them in bulk.
//
// A message box runs a message loop of its own, in which the user can close
// any window (the tray's exit and close-all commands), the window that asked
// too. So a window that owns itself is never deleted when its handle goes:
// the object waits, closed, until the program's own loop is between two
// messages, where no code of any window is running. Code that ran a message
// box (or called anything that may) asks Closed() before it goes on.
#include <windows.h>

#include <string>
#include <vector>

namespace mekuri::win {

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND hwnd() const {
    if (liveness_ != kLive) FailDeadWindow();
    return hwnd_;
  }
  // The window's handle is gone; the object is still valid until the loop
  // frees it.
  bool Closed() const { return hwnd() == nullptr; }
  // "Form1", "Form2", ...: the name the program uses to find windows.
  virtual const wchar_t* FormName() const = 0;

  // The loaded windows of the program, in the order they were created.
  static const std::vector<Window*>& Loaded();

  static HINSTANCE Instance();
  // The program's own icon (resource 1), or the system's default one.
  static HICON ProgramIcon();
  // The first loaded window of a form, or nullptr.
  static Window* FirstLoaded(const wchar_t* formName);

  // Closes the window the way the program unloads it; a window may refuse.
  virtual void Unload() {
    if (hwnd_) DestroyWindow(hwnd_);
  }

 protected:
  // Registers the class (once) and creates the window; false on failure.
  bool CreateTopLevel(DWORD exStyle, DWORD style, const std::wstring& caption, int x, int y,
                      int width, int height, HWND owner, HICON icon = nullptr);
  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  // Unhandled messages; activation also keeps the keyboard focus on the
  // control that had it, as a dialog does.
  LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // WM_DPICHANGED: takes the size the system suggests; answers the new DPI.
  UINT AdoptDpi(WPARAM wParam, LPARAM lParam);
  // Called after WM_NCDESTROY, when the handle is gone: references to the
  // window are dropped here.
  virtual void OnDestroyed() {}
  // Windows created with new that the program does not keep elsewhere: the
  // object is deleted once it is closed, at the next safe point.
  virtual bool DeleteWhenClosed() const { return false; }

 private:
  static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // Reached through a window object that was already deleted: a fault of the
  // program, stopped here before it acts on freed memory.
  [[noreturn]] static void FailDeadWindow();
  static constexpr unsigned kLive = 0x57696E64;  // "Wind"
  unsigned liveness_ = kLive;
  HWND hwnd_ = nullptr;
  HWND lastFocus_ = nullptr;
};

// The class a form's windows are registered under: "Mekurinote." + form name.
std::wstring WindowClassName(const wchar_t* formName);

// The DPI of a window, 96 where the system cannot tell.
UINT WindowDpi(HWND hwnd);
UINT SystemDpi();
// A length of the 96-DPI design at the given DPI.
inline int Scale(int designPixels, UINT dpi) { return MulDiv(designPixels, static_cast<int>(dpi), 96); }
// Outer window size for a client area of the 96-DPI design, at the DPI.
SIZE OuterSizeForClient(int designWidth, int designHeight, DWORD style, DWORD exStyle, UINT dpi);

// The message loop of the user-interface thread: every window of the
// program gets dialog keyboard handling (Tab, Enter, Esc, Alt+letter).
int RunMessageLoop();
// Handles the messages waiting now, the same way (tests and modal waits).
void PumpMessages();
// Deletes the closed windows that own themselves. Only where no code of any
// window can be running: the program's loop calls it between messages, tests
// at the end of a step.
void FreeClosedWindows();
bool TranslateDialogKeys(MSG& msg);

}  // namespace mekuri::win
