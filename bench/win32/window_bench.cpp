// The main window in this process, as the window tests load it, over memo
// files of no memos, ten years and a hundred years of daily memos: a grid
// rebuild (UpdateCalender), a month step and a memo saved from its window,
// each until the window is painted again. Then the common-information window
// closed with 100 items on the hundred-year file, with the rewrites of the
// memo file counted from the folder's change notifications, against writing
// the 100 keys one by one. The month step is also read against the least a
// step can cost: a plain window with the same 126 day labels, their texts
// set one by one. It measures and prints; it never fails.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "../bench_support.h"
#include "calendar/grid_layout.h"
#include "commonlist/common_store.h"
#include "commonlist/win32/Form3.h"
#include "mainwindow/win32/Form1.h"
#include "memo/win32/Form2.h"
#include "platform/profile.h"
#include "platform/win32/cipher_library.h"
#include "platform/win32/controls.h"
#include "platform/win32/message_box.h"
#include "platform/win32/tray.h"
#include "platform/win32/window.h"
#include "startup/win32/Module1_Startup.h"

namespace {

using namespace mekuri;
using namespace mekuri::bench;

constexpr const wchar_t* kUser = L"bench";
int message_boxes = 0;

// Counts the times a file is put in place in its folder (created, or renamed
// onto its name), from the folder's change notifications.
class PlacementCount {
 public:
  explicit PlacementCount(const fs::path& file) : name_(file.filename().wstring()) {
    dir_ = CreateFileW(file.parent_path().c_str(), FILE_LIST_DIRECTORY,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
    event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    Watch();
  }
  ~PlacementCount() {
    if (dir_ != INVALID_HANDLE_VALUE) {
      // The pending read writes into buffer_ until it is cancelled.
      DWORD bytes = 0;
      if (ok_ && CancelIo(dir_)) GetOverlappedResult(dir_, &overlapped_, &bytes, TRUE);
      CloseHandle(dir_);
    }
    if (event_) CloseHandle(event_);
  }
  // What came in until the folder has been quiet for a moment; -1 when the
  // notifications could not be had.
  int Collect() {
    if (!ok_) return -1;
    while (WaitForSingleObject(event_, 500) == WAIT_OBJECT_0) {
      DWORD bytes = 0;
      if (!GetOverlappedResult(dir_, &overlapped_, &bytes, FALSE) || bytes == 0) return -1;  // lost some
      for (size_t at = 0;;) {
        const auto* info = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer_ + at);
        const std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
        if ((info->Action == FILE_ACTION_RENAMED_NEW_NAME || info->Action == FILE_ACTION_ADDED) &&
            lstrcmpiW(name.c_str(), name_.c_str()) == 0) {
          ++count_;
        }
        if (!info->NextEntryOffset) break;
        at += info->NextEntryOffset;
      }
      Watch();
      if (!ok_) return -1;
    }
    return count_;
  }

 private:
  void Watch() {
    ResetEvent(event_);
    overlapped_ = OVERLAPPED{};
    overlapped_.hEvent = event_;
    ok_ = dir_ != INVALID_HANDLE_VALUE &&
          ReadDirectoryChangesW(dir_, buffer_, sizeof buffer_, FALSE, FILE_NOTIFY_CHANGE_FILE_NAME, nullptr,
                                &overlapped_, nullptr);
  }
  std::wstring name_;
  HANDLE dir_ = INVALID_HANDLE_VALUE;
  HANDLE event_ = nullptr;
  OVERLAPPED overlapped_{};
  alignas(DWORD) unsigned char buffer_[64 * 1024];
  bool ok_ = false;
  int count_ = 0;
};

// The window until it is painted again, and what else is waiting.
void Paint(Form1& form) {
  RedrawWindow(form.hwnd(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  win::PumpMessages();
}

fs::path NewFolder(const fs::path& root, const std::string& name) {
  const fs::path folder = root / name;
  std::error_code ignored;
  fs::create_directories(folder, ignored);
  return folder;
}

// The window over the folder's files; `dat` in place of this user's memo file.
Form1* OpenMainWindow(const fs::path& folder, const fs::path& dat = {}) {
  profile::ClearCache();
  Module1::PrepareModule(folder.wstring(), kUser);
  if (!dat.empty()) Module1::strDatFile = dat;
  Module1::startupFinished = true;
  Form1* form = Module1::LoadMainForm();
  if (!form) return nullptr;
  form->Show();
  win::PumpMessages();
  return form;
}

void CloseMainWindow() {
  while (!win::Window::Loaded().empty()) DestroyWindow(win::Window::Loaded().back()->hwnd());
  Module1::UnloadMainForm();
  win::PumpMessages();
}

// The reference for a month step: a plain top-level window holding the 126
// day labels of the grid (same class, sizes and font, no subclass, no
// tooltips), stepped by SetWindowTextW on each label, as the calendar's own
// texts of two neighbouring months.
class PlainLabels {
 public:
  PlainLabels() {
    const UINT dpi = win::SystemDpi();
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"MekuriBenchPlainLabels";
    RegisterClassW(&wc);
    constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    const SIZE outer = win::OuterSizeForClient(Form1::kClientWidth, Form1::kClientHeight, kStyle, 0, dpi);
    window_ = CreateWindowExW(0, wc.lpszClassName, L"plain", kStyle, 16, 16, outer.cx, outer.cy, nullptr, nullptr,
                              wc.hInstance, nullptr);
    font_ = win::CreateDesignFont(win::kGothicFace, 1200, true, false, win::kShiftJisCharset, dpi);
    Ymd month = ToYmd(Today());
    for (std::vector<std::wstring>& texts : texts_) {
      Grid grid = InitialGrid();
      BuildGrid(grid, month.year, month.month, Today(), "", [](Date) { return false; });
      for (int i = kGridColumns; i < kGridCells; ++i) {
        texts.emplace_back(grid.cells[i].caption.begin(), grid.cells[i].caption.end());
      }
      month = month.month == 12 ? Ymd{month.year + 1, 1, 1} : Ymd{month.year, month.month + 1, 1};
    }
    for (int i = kGridColumns; i < kGridCells; ++i) {
      const CellRect r = CellGeometry(i);
      labels_.push_back(win::CreateChild(window_, WC_STATICW, texts_[0][i - kGridColumns].c_str(),
                                         WS_CLIPSIBLINGS | WS_VISIBLE | SS_NOTIFY, 0, 1000 + i,
                                         {r.left, r.top, r.width, r.height}, dpi));
      SendMessageW(labels_.back(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    UpdateWindow(window_);
  }
  ~PlainLabels() { DestroyWindow(window_); }
  bool ok() const { return window_ != nullptr; }
  // One step: every label's text to the other month's, until painted.
  void Step() {
    turn_ ^= 1;
    for (size_t i = 0; i < labels_.size(); ++i) SetWindowTextW(labels_[i], texts_[turn_][i].c_str());
    RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    win::PumpMessages();
  }

 private:
  HWND window_ = nullptr;
  win::UniqueFont font_;
  std::vector<HWND> labels_;
  std::vector<std::wstring> texts_[2];
  int turn_ = 0;
};

struct Figures {
  int memos = 0;
  double grid = 0, step = 0, save = 0;          // microseconds, ours
  double grid_unpainted = 0, paint = 0;         // the rebuild without painting; painting alone
  double grid_platform = 0, save_platform = 0;  // the same file through kernel32
};

// The dates the grid shows, as the window probes them.
std::vector<std::string> GridKeys() {
  std::vector<std::string> keys;
  for (Date d : Module1::dCellDate) {
    if (d != kZeroDate) keys.push_back(MemoKey(d));
  }
  return keys;
}

// One main window over the three memo files in turn: the files take turns
// round by round, so that a slow spell of the X server or the machine falls
// on all of them alike, and each figure is the median of its rounds.
std::vector<Figures> RunWindow(const fs::path& root, const CipherLibrary& cipher, const std::vector<int>& counts,
                               int rounds, double& plain_step) {
  const Date today = Today();
  const fs::path folder = NewFolder(root, "window");
  std::vector<Figures> figures(counts.size());
  std::vector<fs::path> files;
  std::vector<std::string> contents;
  for (size_t i = 0; i < counts.size(); ++i) {
    figures[i].memos = counts[i];
    contents.push_back(MakeMemoFile(cipher, counts[i], today, false, 5));
    files.push_back(folder / ("Mekurinote_memos" + std::to_string(counts[i]) + ".dat"));
    WriteDayOld(files.back(), contents.back());
  }
  const double load_start = Seconds();
  Form1* form = OpenMainWindow(folder, files.back());
  if (!form) {
    std::printf("window: the main window did not load\n");
    return figures;
  }
  Paint(*form);
  std::printf(
      "first load of the main window in this process (fonts, controls, grid of %d memos, painted): %.0f ms\n",
      counts.back(), (Seconds() - load_start) * 1e3);
  // The memo window of yesterday, whose Save (Ctrl+S) is timed.
  const Date day = today - 1;
  form->Today_DblClick(day, true);
  win::PumpMessages();
  const std::vector<Form2*> open = LoadedMemoWindows();
  Form2* memo = open.empty() ? nullptr : open.back();
  const wchar_t* texts[2] = {L"10:00 企画会議（第二会議室）\r\n資料を十部印刷しておくこと。",
                             L"10:30 企画会議に変更\r\n資料は八部、議事録は田中さん。"};
  int turn = 0;
  auto timed = [](const std::function<void()>& run, std::vector<double>& into) {
    const double t = Seconds();
    run();
    into.push_back((Seconds() - t) * 1e6);
  };
  PlainLabels plain;
  std::vector<double> plain_steps;
  std::vector<std::vector<double>> grid(counts.size()), step(counts.size()), save(counts.size()),
      unpainted(counts.size()), paint(counts.size());
  for (int round = 0; round < rounds; ++round) {
    for (size_t i = 0; i < counts.size(); ++i) {
      Module1::strDatFile = files[i];
      form->UpdateCalender();  // the grid takes this file's marks, unmeasured
      Paint(*form);
      for (int k = 0; k < 3; ++k)
        timed(
            [&] {
              form->UpdateCalender();
              Paint(*form);
            },
            grid[i]);
      // Where a rebuild's time goes: the rebuild with no painting, and
      // painting the whole window alone.
      timed([&] { form->UpdateCalender(); }, unpainted[i]);
      Paint(*form);
      timed(
          [&] {
            RedrawWindow(form->hwnd(), nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            win::PumpMessages();
          },
          paint[i]);
      timed(
          [&] {
            form->Command3_Click();
            Paint(*form);
          },
          step[i]);
      timed(
          [&] {
            form->Command2_Click();
            Paint(*form);
          },
          step[i]);
      if (plain.ok()) {
        for (int k = 0; k < 2; ++k) timed([&] { plain.Step(); }, plain_steps);
      }
      if (!memo) continue;
      for (int k = 0; k < 2; ++k) {
        timed(
            [&] {
              SetWindowTextW(memo->Text1, texts[turn++ & 1]);
              memo->Command1_Click();
              Paint(*form);
            },
            save[i]);
      }
    }
  }
  plain_step = Median(plain_steps);
  for (size_t i = 0; i < counts.size(); ++i) {
    Figures& f = figures[i];
    f.grid = Median(grid[i]);
    f.step = Median(step[i]);
    f.save = Median(save[i]);
    f.grid_unpainted = Median(unpainted[i]);
    f.paint = Median(paint[i]);
  }

  // The same reads and writes through the platform's profile functions on a
  // copy of each file as it was: the grid's probes, and a save with the
  // probes of the rebuild that follows it.
  const std::vector<std::string> keys = GridKeys();
  std::string enciphered[2];
  for (int i = 0; i < 2; ++i) {
    enciphered[i] = EncipherText(cipher, i ? u"10:30 企画会議に変更" : u"10:00 企画会議").value_or("A");
  }
  const std::string key = MemoKey(day);
  char buffer[4];
  int found = 0;
  for (size_t i = 0; i < counts.size(); ++i) {
    const std::string theirs = (folder / ("platform" + std::to_string(counts[i]) + ".dat")).string();
    WriteDayOld(theirs, contents[i]);
    auto probes = [&] {
      for (const std::string& k : keys) {
        found += GetPrivateProfileStringA(kMemoSection, k.c_str(), "", buffer, 4, theirs.c_str()) > 0;
      }
    };
    figures[i].grid_platform = Measure(probes, 0.5);
    figures[i].save_platform = Measure(
        [&] {
          WritePrivateProfileStringA(kMemoSection, key.c_str(), enciphered[turn++ & 1].c_str(), theirs.c_str());
          probes();
        },
        1.0, 5, 100);
  }
  if (found < 0) std::printf("?");
  CloseMainWindow();
  return figures;
}

struct CommonFigures {
  double close = 0;       // microseconds, median
  int close_writes = -1;  // file put in place per close (the most seen)
  int items = 0;
  double one_by_one = 0;  // the engine, a key at a time
  int one_by_one_writes = -1;
  double platform = 0;  // WritePrivateProfileStringA, a key at a time
};

CommonFigures RunCommon(const fs::path& root, const CipherLibrary& cipher, int memos) {
  CommonFigures c;
  const fs::path folder = NewFolder(root, "common");
  const fs::path dat = folder / (std::wstring(L"Mekurinote_") + kUser + L".dat");
  const std::string bytes = MakeMemoFile(cipher, memos, Today(), false, kCommonKeys);
  WriteDayOld(dat, bytes);
  Form1* form = OpenMainWindow(folder);
  if (!form) return c;
  std::vector<double> closes;
  for (int i = 0; i < 5; ++i) {
    Form3* common = Form3::Open();
    win::PumpMessages();
    if (!common) break;
    c.items = common->ListCount();
    PlacementCount placed(dat);
    const double start = Seconds();
    common->Command4_Click();
    closes.push_back((Seconds() - start) * 1e6);
    c.close_writes = std::max(c.close_writes, placed.Collect());
    win::PumpMessages();
  }
  c.close = Median(closes);
  CloseMainWindow();

  // The same 100 texts written a key at a time, enciphered as the window
  // does: through the engine, and through the platform on a copy.
  std::vector<std::u16string> items;
  for (const std::u16string& text : LoadCommonList(dat, cipher).items) items.push_back(text);
  {
    PlacementCount placed(dat);
    const double start = Seconds();
    for (size_t i = 0; i < items.size(); ++i) {
      const std::optional<std::string> value = EncipherText(cipher, items[i]);
      profile::WriteString(kMemoSection, CommonKey(static_cast<int>(i)).c_str(), value ? value->c_str() : "A",
                           dat);
    }
    c.one_by_one = (Seconds() - start) * 1e6;
    c.one_by_one_writes = placed.Collect();
  }
  const std::string theirs = (folder / "platform.dat").string();
  WriteDayOld(folder / "platform.dat", bytes);
  const double start = Seconds();
  for (size_t i = 0; i < items.size(); ++i) {
    const std::optional<std::string> value = EncipherText(cipher, items[i]);
    WritePrivateProfileStringA(kMemoSection, CommonKey(static_cast<int>(i)).c_str(), value ? value->c_str() : "A",
                               theirs.c_str());
  }
  c.platform = (Seconds() - start) * 1e6;
  return c;
}

std::string Thousands(int n) {
  const std::string digits = std::to_string(n);
  std::string text;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
    text += digits[i];
  }
  return text;
}

}  // namespace

int wmain() {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  const fs::path dist = DistFolder();
  static const CipherLibrary cipher = LoadCipher(dist);
  if (!cipher) std::printf("window: QzlCmn.dll not found in %ls; saves are refused\n", dist.c_str());
  win::SetCipherForTesting(&cipher);
  win::SetMessageBoxForTesting([](const win::MessageBoxCall&) {
    ++message_boxes;
    return IDOK;
  });
  win::SetTrayForTesting([](DWORD, const NOTIFYICONDATAW&) { return TRUE; });

  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const fs::path root = fs::path(temp) / (L"mekuri_window_bench_" + std::to_wstring(GetCurrentProcessId()));

  int rounds = 8;
  if (const wchar_t* text = _wgetenv(L"BENCH_WINDOW_ROUNDS")) rounds = std::max(1, _wtoi(text));
  double plain_step = 0;
  const std::vector<Figures> rows = RunWindow(root, cipher, {0, 3650, 36500}, rounds, plain_step);
  const int common_memos = 36500;
  const CommonFigures common = RunCommon(root, cipher, common_memos);
  std::error_code ignored;
  fs::remove_all(root, ignored);

  std::printf(
      "\nThe main window in process under Wine, each until painted again; microseconds, medians of %d\n"
      "rounds (grid: 3 per round, month step: 2, memo save: 2, grid unpainted and paint alone: 1)\n",
      rounds);
  std::printf("%7s | %10s %10s %10s | %12s %12s | %16s %16s\n", "memos", "grid", "month step", "memo save",
              "grid unpainted", "paint alone", "grid: kernel32", "save: kernel32");
  for (const Figures& f : rows) {
    std::printf("%7d | %10.0f %10.0f %10.0f | %12.0f %12.0f | %16.0f %16.0f\n", f.memos, f.grid, f.step, f.save,
                f.grid_unpainted, f.paint, f.grid_platform, f.save_platform);
  }
  std::printf(
      "kernel32: the grid's presence probes through GetPrivateProfileStringA alone; the save through\n"
      "WritePrivateProfileStringA and then those probes (no window work in either).\n");
  std::printf(
      "\nCommon-information window closed with %d items on %d memos: %.1f ms, the memo file put in\n"
      "place %d time(s) per close; the 100 keys a key at a time: engine %.0f ms (%d times), kernel32 %.0f ms\n",
      common.items, common_memos, common.close / 1e3, common.close_writes, common.one_by_one / 1e3,
      common.one_by_one_writes, common.platform / 1e3);
  if (message_boxes) std::printf("window: %d message box(es) came up during the run\n", message_boxes);

  const Figures& base = rows[0];
  for (const Figures& f : rows) {
    if (f.memos == 0) continue;
    const std::string n = Thousands(f.memos) + " memos";
    Row("window", "grid rebuild (UpdateCalender), " + n, f.grid, "us", "the same, 0 memos", base.grid);
  }
  for (const Figures& f : rows) {
    if (f.memos == 0) continue;
    Row("window", "month step, " + Thousands(f.memos) + " memos", f.step, "us", "the same, 0 memos", base.step);
  }
  for (const Figures& f : rows) {
    if (f.memos == 0) continue;
    Row("window", "memo save (Ctrl+S), " + Thousands(f.memos) + " memos", f.save, "us", "the same, 0 memos",
        base.save);
  }
  const Figures& big = rows.back();
  Row("window", "month step, " + Thousands(big.memos) + " memos", big.step, "us", "plain 126-label step",
      plain_step);
  Row("window", "grid rebuild, " + Thousands(big.memos) + " memos", big.grid, "us", "plain 126-label step",
      plain_step);
  // The figure the month step is held to, on a line of its own.
  std::printf("ratio: month step / plain 126-label step = %.2f (%.0f us / %.0f us, %s memos)\n",
              plain_step > 0 ? big.step / plain_step : 0.0, big.step, plain_step, Thousands(big.memos).c_str());
  Row("window", "grid rebuild, " + Thousands(big.memos) + " memos", big.grid, "us",
      "kernel32: its 92 probes alone", big.grid_platform);
  Row("window", "memo save (Ctrl+S), " + Thousands(big.memos) + " memos", big.save, "us",
      "kernel32: write + 92 probes", big.save_platform);
  Row("common", "memo file rewrites per close", common.close_writes, "count", "100 keys one by one, engine",
      common.one_by_one_writes, "counted from change notifications");
  Row("common", "close (Form3 unload, " + std::to_string(common.items) + " items)", common.close, "us",
      "100 keys one by one, engine", common.one_by_one);
  Row("common", "close (Form3 unload, " + std::to_string(common.items) + " items)", common.close, "us",
      "100 keys one by one, kernel32", common.platform);
  return 0;
}
