#include "platform/win32/window.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/win32/controls.h"
#include "platform/win32/guard.h"

namespace mekuri::win {
namespace {

std::vector<Window*>& LoadedList() {
  static std::vector<Window*> loaded;
  return loaded;
}

// Closed windows that own themselves, waiting for FreeClosedWindows.
std::vector<Window*>& ClosedList() {
  static std::vector<Window*> closed;
  return closed;
}

constexpr wchar_t kClassPrefix[] = L"Mekurinote.";

template <typename F>
F LoadUser32(const char* name) {
  static HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

Window::~Window() {
  liveness_ = 0;
  // A window whose creation failed half-way is deleted by its creator.
  auto& closed = ClosedList();
  closed.erase(std::remove(closed.begin(), closed.end(), this), closed.end());
  if (hwnd_) {
    // The object goes first: unbind it so late messages reach no dead object.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    HWND h = hwnd_;
    hwnd_ = nullptr;
    auto& loaded = LoadedList();
    loaded.erase(std::remove(loaded.begin(), loaded.end(), this), loaded.end());
    DestroyWindow(h);
  }
}

const std::vector<Window*>& Window::Loaded() { return LoadedList(); }

void Window::FailDeadWindow() {
  OutputDebugStringW(L"Mekurinote: a deleted window object was used\n");
  std::abort();
}

HINSTANCE Window::Instance() { return GetModuleHandleW(nullptr); }

HICON Window::ProgramIcon() {
  HICON icon = LoadIconW(Instance(), MAKEINTRESOURCEW(1));
  return icon ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

Window* Window::FirstLoaded(const wchar_t* formName) {
  for (Window* w : LoadedList()) {
    if (lstrcmpW(w->FormName(), formName) == 0) return w;
  }
  return nullptr;
}

bool Window::Create(const FormDesign& design) {
  dpi_ = SystemDpi();
  const SIZE outer = OuterSizeForClient(design.clientWidth, design.clientHeight, design.style, design.exStyle,
                                        dpi_);
  defaultId_ = markedId_ = design.defaultId;
  cancelId_ = design.cancelId;
  if (!CreateTopLevel(design.exStyle, design.style, design.caption, design.at.x, design.at.y, outer.cx, outer.cy,
                      design.owner, design.icon)) {
    return false;
  }
  dpi_ = WindowDpi(hwnd_);
  CreateControls();
  placedDpi_ = dpi_;  // made at this DPI, the controls stand where the design puts them
  Layout();
  return true;
}

bool Window::CreateTopLevel(DWORD exStyle, DWORD style, const std::wstring& caption, int x, int y, int width,
                            int height, HWND owner, HICON icon) {
  const std::wstring className = WindowClassName(FormName());
  WNDCLASSEXW existing{sizeof(existing)};
  if (!GetClassInfoExW(Instance(), className.c_str(), &existing)) {
    WNDCLASSEXW wc{sizeof(wc)};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = StaticProc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className.c_str();
    wc.hIcon = icon;
    wc.hIconSm = icon;
    if (!RegisterClassExW(&wc)) return false;
  }
  return CreateWindowExW(exStyle, className.c_str(), caption.c_str(), style, x, y, width, height, owner, nullptr,
                         Instance(), this) != nullptr;
}

LRESULT Window::DefaultProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_ACTIVATE) {
    if (LOWORD(wParam) == WA_INACTIVE) {
      HWND focus = GetFocus();
      if (focus && IsChild(hwnd_, focus)) lastFocus_ = focus;
    } else if (!HIWORD(wParam)) {  // not while minimised
      HWND target = (lastFocus_ && IsWindow(lastFocus_) && IsChild(hwnd_, lastFocus_))
                        ? lastFocus_
                        : GetNextDlgTabItem(hwnd_, nullptr, FALSE);
      if (target) SetFocus(target);
    }
    return 0;
  }
  return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

int Window::AddFont(int hundredthsOfPoint, bool bold, bool underline) {
  fontDesigns_.push_back({hundredthsOfPoint, bold, underline});
  return static_cast<int>(fontDesigns_.size()) - 1;
}

HWND Window::Child(const wchar_t* className, const std::wstring& text, DWORD style, DWORD exStyle, int id,
                   DesignRect rect, int font, std::function<void()> click) {
  HWND child = CreateChild(hwnd_, className, text.c_str(), WS_VISIBLE | WS_CLIPSIBLINGS | style, exStyle, id,
                           rect, dpi_);
  std::erase_if(children_, [id](const Placed& c) { return c.id == id; });
  children_.push_back({child, id, rect, font, std::move(click)});
  if (font != kNoFont && static_cast<size_t>(font) < fonts_.size()) {
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(Font(font)), TRUE);
  }
  return child;
}

void Window::Layout() {
  std::vector<UniqueFont> fonts;
  for (const FontDesign& f : fontDesigns_) {
    fonts.push_back(CreateDesignFont(kGothicFace, f.hundredths, f.bold, f.underline, kShiftJisCharset, dpi_));
  }
  // Only a DPI change moves the controls; a hidden window needs no redraw.
  const bool place = placedDpi_ != dpi_;
  placedDpi_ = dpi_;
  const BOOL redraw = IsWindowVisible(hwnd_);
  for (const Placed& c : children_) {
    if (place) PlaceChild(c.hwnd, c.rect, dpi_);
    if (c.font != kNoFont) SendMessageW(c.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts[c.font].get()), redraw);
  }
  fonts_.swap(fonts);  // the old fonts go once no control uses them
}

void Window::MarkDefault(int id) {
  for (int button : {markedId_, id}) {
    if (HWND h = button ? GetDlgItem(hwnd_, button) : nullptr) {
      SendMessageW(h, BM_SETSTYLE, button == id ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
  }
  markedId_ = id;
}

void Window::SetDefaultButtons(int defaultId, int cancelId) {
  defaultId_ = defaultId;
  cancelId_ = cancelId;
  MarkDefault(defaultId);
}

void Window::SetReadOnlyBox(HWND box, int background) {
  readOnlyBox_ = box;
  readOnlyBackground_ = background;
  KeepDialogKeys(box);
}

bool Window::Click(int id) {
  const auto it = std::find_if(children_.begin(), children_.end(), [id](const Placed& c) { return c.id == id; });
  if (it == children_.end() || !it->click) return false;
  const std::function<void()> click = it->click;  // the handler may make the control again
  click();
  return true;
}

void Window::OnCancel() {
  if (cancelId_) Click(cancelId_);
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (id == IDCANCEL) {
        OnCancel();
        return 0;
      }
      const HWND control = reinterpret_cast<HWND>(lParam);
      if (defaultId_ && control && (code == BN_SETFOCUS || code == BN_KILLFOCUS) &&
          (SendMessageW(control, WM_GETDLGCODE, 0, 0) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON))) {
        MarkDefault(code == BN_SETFOCUS ? id : defaultId_);
      }
      if (code == BN_CLICKED && Click(id)) return 0;  // STN_CLICKED, a menu item and a sent click alike
      OnCommand(id, code);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
      if (readOnlyBox_ && reinterpret_cast<HWND>(lParam) == readOnlyBox_) {
        return ColourStatic(wParam, GetSysColor(COLOR_WINDOWTEXT), readOnlyBackground_);
      }
      break;
    case DM_GETDEFID:
      if (markedId_) return MAKELRESULT(markedId_, DC_HASDEFID);
      break;
    case WM_DPICHANGED: {
      // The size the system suggests for the new DPI, then the design at it.
      const RECT* r = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(hwnd_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      dpi_ = HIWORD(wParam);
      Layout();
      return 0;
    }
    case WM_CLOSE:
      Unload();
      return 0;
    default:
      break;
  }
  return DefaultProc(msg, wParam, lParam);
}

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Window* self = nullptr;
  if (msg == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    LoadedList().push_back(self);
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    LRESULT result = Guarded([&] { return self->HandleMessage(msg, wParam, lParam); });
    self->hwnd_ = nullptr;
    auto& loaded = LoadedList();
    loaded.erase(std::remove(loaded.begin(), loaded.end(), self), loaded.end());
    self->OnDestroyed();
    if (self->ownsItself_) ClosedList().push_back(self);
    return result;
  }
  return Guarded([&] {
    const LRESULT result = self->HandleMessage(msg, wParam, lParam);
    if (msg == WM_PAINT) self->DrawPendingLabels();
    return result;
  });
}

std::wstring WindowClassName(const wchar_t* formName) { return std::wstring(kClassPrefix) + formName; }

UINT WindowDpi(HWND hwnd) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static auto getDpiForWindow = LoadUser32<GetDpiForWindowFn>("GetDpiForWindow");
  UINT dpi = (getDpiForWindow && hwnd) ? getDpiForWindow(hwnd) : 0;
  return dpi ? dpi : SystemDpi();
}

UINT SystemDpi() {
  using GetDpiForSystemFn = UINT(WINAPI*)();
  static auto getDpiForSystem = LoadUser32<GetDpiForSystemFn>("GetDpiForSystem");
  if (getDpiForSystem) {
    if (UINT dpi = getDpiForSystem()) return dpi;
  }
  HDC dc = GetDC(nullptr);
  int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSX) : 96;
  if (dc) ReleaseDC(nullptr, dc);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

SIZE OuterSizeForClient(int designWidth, int designHeight, DWORD style, DWORD exStyle, UINT dpi) {
  using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static auto adjustForDpi = LoadUser32<AdjustForDpiFn>("AdjustWindowRectExForDpi");
  RECT rc{0, 0, Scale(designWidth, dpi), Scale(designHeight, dpi)};
  if (!adjustForDpi || !adjustForDpi(&rc, style, FALSE, exStyle, dpi)) {
    AdjustWindowRectEx(&rc, style, FALSE, exStyle);
  }
  return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

bool TranslateDialogKeys(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || !msg.hwnd) return false;
  HWND root = GetAncestor(msg.hwnd, GA_ROOT);
  if (!root) return false;
  const auto& loaded = LoadedList();
  const bool ours = std::any_of(loaded.begin(), loaded.end(), [root](Window* w) { return w->hwnd() == root; });
  return ours && IsDialogMessageW(root, &msg);
}

int RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!TranslateDialogKeys(msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    FreeClosedWindows();
  }
  FreeClosedWindows();
  return static_cast<int>(msg.wParam);
}

void FreeClosedWindows() {
  // Deleting runs destructors only; nothing here can close another window.
  std::vector<Window*> closed;
  closed.swap(ClosedList());
  for (Window* w : closed) delete w;
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    if (TranslateDialogKeys(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace mekuri::win
