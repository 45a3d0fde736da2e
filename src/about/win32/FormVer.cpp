#include "about/win32/FormVer.h"

#include <commctrl.h>

#include <iterator>
#include <string>

#include "platform/control_ids.h"
#include "platform/win32/placement.h"
#include "platform/win32/text.h"

namespace mekuri {
namespace {

constexpr wchar_t kCaption[] = L"バージョン情報";
constexpr wchar_t kVersionLine[] = L"Mekurinote.exe  Ver 1.00 (2004.09.10)";
constexpr wchar_t kDescription1[] = L"このプログラムは。";
constexpr wchar_t kDescription2[] = L"　３ヶ月分のカレンダー表示と、日ごとにメモを保存するためのプログラムです。";
constexpr wchar_t kDescription3[] = L"　詳しくは「読んで☆.txt」をご覧下さい。";
// The program has no mailbox or site of its own; the readme is where to look.
constexpr wchar_t kProjectLine[] = L"めくりノート project, 2004";
constexpr wchar_t kMailLine[] = L"E-mail: (なし。読んで☆.txt をご覧下さい)";
constexpr wchar_t kUrlLine[] = L"URL : (なし)";
constexpr wchar_t kBackCaption[] = L"戻る";
constexpr wchar_t kNewLine[] = L"\r\n";

// The design in twips, 15 to a pixel at 96 DPI; a frame's contents are
// placed at the frame's origin plus their offset inside it.
using win::FromTwips;
constexpr win::DesignRect kText1 = FromTwips(120 + 120, 2460 + 180, 4095, 1215);
// Without a border: on the button face inside its frame the box reads as
// part of the window, and all six lines have room.
constexpr DWORD kText1Style = WS_TABSTOP | ES_MULTILINE | ES_READONLY;

std::wstring Number(long value) { return std::to_wstring(value); }

// The compiler that built this program, read from the compiler itself so the
// line never goes stale.
std::wstring CompilerLine() {
#if defined(__MINGW64__) && defined(__GNUC__)
  std::wstring target;
#if defined(__x86_64__)
  target = L"x64";
#elif defined(__aarch64__)
  target = L"ARM64";
#else
  target = L"x86";
#endif
  return L"Built with MinGW-w64 GCC " + Number(__GNUC__) + L" (" + target + L")";
#elif defined(_MSC_VER)
  return L"Built with Microsoft C/C++ " + Number(_MSC_VER / 100) + L"." + Number(_MSC_VER % 100);
#else
  return L"Built with a C++20 compiler";
#endif
}

// The build system and language level beside it.
std::wstring BuildLine() {
  std::wstring line;
#ifdef MEKURI_CMAKE_VERSION
  line = L"CMake " + win::WideAscii(MEKURI_CMAKE_VERSION) + L", ";
#endif
  line += __cplusplus >= 202002L ? L"C++20" : L"C++" + Number(__cplusplus / 100 % 100);
#ifdef __MINGW64_VERSION_MAJOR
  line += L", mingw-w64 " + Number(__MINGW64_VERSION_MAJOR) + L"." + Number(__MINGW64_VERSION_MINOR);
#endif
  return line;
}

}  // namespace

FormVer* FormVer::Current() { return static_cast<FormVer*>(FirstLoaded(L"FormVer")); }

FormVer* FormVer::Open(HWND owner) {
  FormVer* form = Current();
  if (!form) {
    // A fixed dialog frame: caption and close box, no icon, no minimise or
    // maximise. No WS_CLIPCHILDREN: the frames leave their insides
    // unpainted, so the form's background must show through them.
    // 4575 x 4050 twips; "戻る" is the default and the cancel button.
    form = New<FormVer>({.exStyle = WS_EX_DLGMODALFRAME,
                         .clientWidth = 305,
                         .clientHeight = 270,
                         .caption = kCaption,
                         .owner = owner,
                         .defaultId = CommandId(1),
                         .cancelId = CommandId(1)});
    if (!form) return nullptr;
    form->Form_Load();
    form->ShowScrollBarIfNeeded();
    win::Centre(form->hwnd(), owner);
  }
  if (IsIconic(form->hwnd())) ShowWindow(form->hwnd(), SW_RESTORE);
  ShowWindow(form->hwnd(), SW_SHOW);
  SetForegroundWindow(form->hwnd());
  return form;
}

void FormVer::CreateControls() {
  const int font = AddFont(900);
  // Creation order is the tab order: the button first, so Enter and Space
  // work as soon as the window opens.
  Command1 = Child(WC_BUTTONW, kBackCaption, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, CommandId(1),
                   FromTwips(240 + 300, 420 + 1560, 3495, 315), font, [this] { Command1_Click(); });
  Text1 = Child(WC_EDITW, L"", kText1Style, 0, TextId(1), kText1, font);
  // The read-only box keeps the button-face colour whatever the theme.
  SetReadOnlyBox(Text1, COLOR_BTNFACE);
  Label1 = Child(WC_STATICW, L"", SS_CENTER | SS_NOPREFIX, 0, LabelId(1), FromTwips(120, 120, 4335, 255), font);
  Label4 = Child(WC_STATICW, L"", SS_LEFT | SS_NOPREFIX, 0, LabelId(4),
                 FromTwips(240 + 180, 420 + 240, 3735, 1215), font);
  // Created last, the frames lie below what they hold.
  Frame1 = Child(WC_BUTTONW, L"", BS_GROUPBOX, 0, FrameId(1), FromTwips(240, 420, 4095, 1995), font);
  Frame2 = Child(WC_BUTTONW, L"", BS_GROUPBOX, 0, FrameId(2), FromTwips(120, 2460, 4335, 1515), font);
}

void FormVer::Form_Load() {
  win::SetText(Label1, kVersionLine);
  // The description is built up part by part, a blank line between parts.
  std::wstring description = kDescription1;
  description += std::wstring(kNewLine) + kNewLine + kDescription2;
  description += std::wstring(kNewLine) + kNewLine + kDescription3;
  win::SetText(Label4, description);
  const std::wstring lines[] = {
      CompilerLine(), BuildLine(), kProjectLine, L"", kMailLine, kUrlLine,
  };
  std::wstring text;
  for (size_t i = 0; i < std::size(lines); ++i) text += (i ? kNewLine : L"") + lines[i];
  win::SetText(Text1, text);
}

void FormVer::ShowScrollBarIfNeeded() {
  // The lines fit the box as designed; a larger font substituted by the
  // system may wrap them, and then the box needs its scroll bar. An edit box
  // takes that style only when it is created, so the box is made anew.
  const int lines = static_cast<int>(SendMessageW(Text1, EM_GETLINECOUNT, 0, 0));
  RECT format{};
  SendMessageW(Text1, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
  TEXTMETRICW metrics{};
  if (HDC dc = GetDC(Text1)) {
    HGDIOBJ old = SelectObject(dc, Font(0));
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(Text1, dc);
  }
  if (metrics.tmHeight <= 0 || lines * metrics.tmHeight <= format.bottom - format.top) return;
  const std::wstring text = win::GetText(Text1);
  DestroyWindow(Text1);
  Text1 = Child(WC_EDITW, text, kText1Style | WS_VSCROLL, 0, TextId(1), kText1, 0);
  SetReadOnlyBox(Text1, COLOR_BTNFACE);
  // Back to its place above its frame and after the button in the tab order.
  SetWindowPos(Text1, Command1, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void FormVer::Command1_Click() { Unload(); }

}  // namespace mekuri
