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
//
// Every form is opened by its static Open(...), which answers the loaded
// window (nullptr when it cannot be created) or, for a modal dialog, its
// answer. A form describes its frame in a FormDesign; the base creates it at
// the DPI of its monitor and handles what every form shares: Enter and Esc,
// the default button, DPI changes and the close box.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/handles.h"

namespace mekuri::win {

// A rectangle of the design, in pixels at 96 DPI.
struct DesignRect {
  int x, y, width, height;
};

// A rectangle given in twips, 15 to a pixel in the 96-DPI design.
constexpr DesignRect FromTwips(int left, int top, int width, int height) {
  return DesignRect{left / 15, top / 15, width / 15, height / 15};
}

// A form's top-level window as designed.
struct FormDesign {
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  DWORD exStyle = 0;
  int clientWidth = 0;  // the client area, pixels at 96 DPI
  int clientHeight = 0;
  std::wstring caption;
  HWND owner = nullptr;
  HICON icon = nullptr;
  int defaultId = 0;  // the button Enter presses; 0: none
  int cancelId = 0;   // the button Esc presses; 0: none
  POINT at{CW_USEDEFAULT, CW_USEDEFAULT};
};

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
  // Creates the window as designed, sized for its client area at the DPI of
  // its monitor, then its controls and their layout; false on failure.
  bool Create(const FormDesign& design);
  // Registers the class (once) and creates the window; false on failure.
  bool CreateTopLevel(DWORD exStyle, DWORD style, const std::wstring& caption, int x, int y, int width,
                      int height, HWND owner, HICON icon = nullptr);
  // The controls, once.
  virtual void CreateControls() {}
  // At creation and at each DPI change: the fonts made at dpi_, and every
  // control made by Child placed and given its font.
  virtual void Layout();
  // A font of the design (size in hundredths of a point, in the program's
  // Gothic face); answers its number for Child.
  int AddFont(int hundredthsOfPoint, bool bold = false, bool underline = false);
  HFONT Font(int number) const { return fonts_.at(static_cast<size_t>(number)).get(); }
  static constexpr int kNoFont = -1;
  // A visible child control of the design, placed and given its font now
  // and at each layout, with the handler of its click (BN_CLICKED,
  // STN_CLICKED); made again under its id, it replaces the old one.
  HWND Child(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle, int id,
             DesignRect rect, int font, std::function<void()> click = {});
  // WM_COMMAND other than a click of a Child; Esc reaches OnCancel instead,
  // which clicks the cancel button.
  virtual void OnCommand(int /*id*/, int /*code*/) {}
  virtual void OnCancel();
  // The forms' common messages (commands, the default button, DPI changes,
  // the close box); the rest goes to DefaultProc.
  virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  // Unhandled messages; activation also keeps the keyboard focus on the
  // control that had it, as a dialog does.
  LRESULT DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam);
  // The push button drawn as the default one, which Enter presses (0: none).
  // A button made with BS_NOTIFY is the default while it has the focus.
  void MarkDefault(int id);
  // The default button of the design from now on, marked; Esc presses
  // `cancelId`.
  void SetDefaultButtons(int defaultId, int cancelId);
  // Called after WM_NCDESTROY, when the handle is gone: references to the
  // window are dropped here.
  virtual void OnDestroyed() {}
  // ShowWindow(cmd), with the window's next paint drawing its plain labels
  // itself, in one pass, rather than each label in a paint of its own
  // (window_labels.cpp).
  void ShowDrawingLabels(int cmd);
  // Draws static labels as they draw themselves: their background in the
  // brush WM_CTLCOLORSTATIC answers, then their text in their font, each
  // clipped by the controls above it.
  void DrawLabels(const std::vector<HWND>& labels);
  // The window's controls, the top of the z-order first: by default those
  // made by Child, in the order made.
  virtual std::vector<HWND> ZOrder() const;
  // A new window of the form, which the program keeps nowhere else: the
  // object is deleted once it is closed, at the next safe point. nullptr
  // when it cannot be created.
  template <class Form>
  static Form* New(const FormDesign& design) {
    auto* form = new Form();
    static_cast<Window*>(form)->ownsItself_ = true;
    if (static_cast<Window*>(form)->Create(design)) return form;
    delete form;
    return nullptr;
  }
  // A multi-line box that cannot be typed into: Tab, Enter and Esc stay the
  // window's, and its text reads on the system colour `background`.
  void SetReadOnlyBox(HWND box, int background);

  UINT dpi_ = 96;  // the window's DPI, which the design is scaled to
  UINT placedDpi_ = 0;  // the DPI the controls were last placed at

 private:
  static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  // Reached through a window object that was already deleted: a fault of the
  // program, stopped here before it acts on freed memory.
  [[noreturn]] static void FailDeadWindow();
  // Runs the click handler of the control; false when it has none.
  bool Click(int id);
  static constexpr unsigned kLive = 0x57696E64;  // "Wind"
  unsigned liveness_ = kLive;
  HWND hwnd_ = nullptr;
  HWND lastFocus_ = nullptr;
  bool ownsItself_ = false;
  int defaultId_ = 0;
  int markedId_ = 0;
  int cancelId_ = 0;
  HWND readOnlyBox_ = nullptr;
  int readOnlyBackground_ = COLOR_WINDOW;
  struct FontDesign {
    int hundredths;
    bool bold, underline;
  };
  struct Placed {
    HWND hwnd;
    int id;
    DesignRect rect;
    int font;
    std::function<void()> click;
  };
  std::vector<FontDesign> fontDesigns_;
  std::vector<UniqueFont> fonts_;
  std::vector<Placed> children_;
  std::vector<HWND> labelsToDraw_;  // by the next paint

  void DrawPendingLabels();
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
