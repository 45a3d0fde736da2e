// The program over a damaged or locked folder: damaged files still start and
// take saves, writes that cannot land are reported, a missing chime stays
// silent, and opening all memos stops when no more windows can be made.
#include <windows.h>
#include <mmsystem.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "base/texts.h"
#include "commonlist/win32/Form3.h"
#include "form_fixture.h"
#include "mainwindow/win32/MainWndProc.h"
#include "memo/memo_store.h"
#include "memo/win32/Form2.h"
#include "platform/profile.h"
#include "platform/win32/cipher_library.h"
#include "platform/win32/clock.h"
#include "platform/win32/sound.h"
#include "platform/win32/text.h"
#include "platform/win32/tray.h"
#include "platform/win32/window.h"
#include "shell/commands.h"
#include "startup/win32/Module1_Startup.h"
#include "timesignal/win32/FormJihou.h"

namespace mekuri::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const std::string kBom = "\xEF\xBB\xBF";
const Date kBefore = DateFromYmd(2004, 9, 14);
const Date kAfter = DateFromYmd(2004, 9, 16);

// The Unix path of a file, when Wine runs us.
std::string UnixPath(const fs::path& path) {
  using Fn = char*(CDECL*)(const wchar_t*);
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
  char* name = fn ? fn(path.c_str()) : nullptr;
  if (!name) return "";
  std::string out = name;
  HeapFree(GetProcessHeap(), 0, name);
  return out;
}

// chattr +i / -i through Wine's start of Unix programs: root ignores the
// permission bits and Windows' read-only flag does not lock a folder. The
// start is not waitable, so a marker file tells the result.
bool Chattr(const fs::path& target, const char* flag) {
  const fs::path marker = fs::temp_directory_path() / (L"mekuri-chattr-" + std::to_wstring(GetCurrentProcessId()));
  DeleteFileW(marker.c_str());
  const std::string t = UnixPath(target), m = UnixPath(marker);
  if (t.empty() || m.empty()) return false;
  const std::string line = "/bin/sh -c \"chattr " + std::string(flag) + " \\\"$1\\\"; echo $? > \\\"$2\\\"\" sh \"" + t +
                           "\" \"" + m + "\"";
  std::wstring wide = win::Wide(std::u16string(line.begin(), line.end()));
  STARTUPINFOW si{sizeof si};
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(L"Z:\\bin\\sh", wide.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  for (int i = 0; i < 500; ++i, Sleep(10)) {
    const std::string result = ReadFileBytes(marker);
    if (!result.empty()) {
      DeleteFileW(marker.c_str());
      return result[0] == '0';
    }
  }
  return false;
}

class BadFolder : public MainFormTest {
 protected:
  void TearDown() override {
    for (const fs::path& p : locked_) Chattr(p, "-i");
    win::SetSoundForTesting(nullptr);
    MainFormTest::TearDown();
    win::SetTrayForTesting(nullptr);
    Module1::exiting = false;
  }
  bool Lock(const fs::path& p) {
    locked_.push_back(p);
    return Chattr(p, "+i");
  }
  // A new start of the program over the files as they are now.
  Form1& Restart() {
    while (!win::Window::Loaded().empty()) DestroyWindow(win::Window::Loaded().back()->hwnd());
    Module1::UnloadMainForm();
    profile::ClearCache();
    Module1::PrepareModule(folder_.wstring(), L"tester");
    win::SetTrayForTesting([](DWORD, const NOTIFYICONDATAW&) { return TRUE; });
    Form1& f = LoadForm(2004, 9, 10);
    FillTrayRecord(f);
    InstallMainWindowProcedure(f);
    return f;
  }
  void Exit() {
    SendMessageW(form_->hwnd(), WM_COMMAND, kCmdExit, 0);
    win::PumpMessages();
    EXPECT_FALSE(IsWindow(form_->hwnd())) << "the exit ends the program";
    Module1::exiting = false;
  }
  bool Underlined(Date d) const {
    for (int i = 7; i < kGridCells; ++i) {
      if (Module1::dCellDate[i] != d) continue;
      LOGFONTW lf{};
      GetObjectW(reinterpret_cast<HFONT>(SendMessageW(form_->Label4[i], WM_GETFONT, 0, 0)), sizeof lf, &lf);
      return lf.lfUnderline != 0;
    }
    return false;
  }
  Form2* Open(Date d) {
    form_->Today_DblClick(d, true);
    const auto memos = LoadedMemoWindows();
    return memos.empty() ? nullptr : memos.back();
  }
  std::string Line(Date d, std::u16string_view text) const {
    return MemoKey(d) + "=" + *EncipherText(win::Cipher(Module1::strAppPath), text) + "\r\n";
  }
  std::vector<fs::path> locked_;
};

// Damage between good lines of both files.
struct Damage {
  const char* name;
  std::string bytes;
};
const Damage kDamages[] = {
    {"binary garbage", [] {
       std::string b;
       for (uint32_t s = 1; b.size() < 4096;) s = s * 1103515245u + 12345u, b += (s >> 16 & 0xFF) == '[' ? '{' : char(s >> 16);
       return b;
     }()},
    {"NUL bytes", "\0\0\r\n2004/09/12=\0QUJD"s},
    {"1 MiB line", "2004/09/13=" + std::string(1 << 20, 'Q')},
    {"invalid Shift-JIS", "\x81\r\n\xFF\xFE=\x80\xA0\r\n\xE0=\x81"},
    {"UTF-8 BOM ahead of the header", ""},
};

TEST_F(BadFolder, DamagedFilesStillStartShowTheGridAndTakeSaves) {
  for (const Damage& d : kDamages) {
    SCOPED_TRACE(d.name);
    const bool bom = d.bytes.empty();
    const std::string head = bom ? kBom + "[Mekurinote]\r\n" : "[Mekurinote]\r\n";
    WriteFileBytes(Module1::strIniFile, head + "EveryHour=0\r\n" + d.bytes + "\r\nS01=09/15\r\n");
    WriteFileBytes(Module1::strDatFile, head + Line(kBefore, u"前") + d.bytes + "\r\n" + Line(kAfter, u"後"));
    Restart();
    // A BOM hides the header on line 1, as Windows reads it: the defaults.
    EXPECT_EQ(Module1::EveryHour, bom);
    EXPECT_EQ(Module1::strHolidayTable[1], bom ? "" : "09/15");
    EXPECT_EQ(Text(form_->Text1), L"2004");
    EXPECT_EQ(Underlined(kAfter), !bom);

    Form2* memo = Open(kAfter);
    ASSERT_NE(memo, nullptr);
    EXPECT_EQ(Text(memo->Text1), bom ? L"" : L"後");
    SetWindowTextW(memo->Text1, L"書き換え");
    memo->Command1_Click();
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(Underlined(kAfter));
    EXPECT_NE(ReadFileBytes(Module1::strDatFile).find(d.bytes), std::string::npos);
    EXPECT_EQ(ReadMemoText(Module1::strDatFile, win::Cipher(Module1::strAppPath), MemoKey(kAfter)), u"書き換え");

    Exit();
    const std::string ini = ReadFileBytes(Module1::strIniFile);
    EXPECT_NE(ini.find("StartX="), std::string::npos);
    EXPECT_NE(ini.find(d.bytes + "\r\nS01=09/15\r\n"), std::string::npos) << "the rest stays";
  }
}

TEST_F(BadFolder, LockedFilesReportEveryLostWriteALockedFolderIsWrittenInPlace) {
  for (const bool folder : {false, true}) {
    SCOPED_TRACE(folder ? "folder" : "files");
    boxes_.clear();
    WriteFileBytes(Module1::strIniFile, "[Mekurinote]\r\nStartX=1200\r\n");
    WriteFileBytes(Module1::strDatFile, "[Mekurinote]\r\n" + Line(kBefore - 9, u"過去") + Line(kBefore, u"前"));
    Restart();
    Form3::Open();
    Form3* common = Form3::Current();
    ASSERT_NE(common, nullptr);
    SetFocus(common->Text1);
    SetWindowTextW(common->Text1, L"残す");
    common->Command1_Click();
    common->Unload();
    const std::string ini = ReadFileBytes(Module1::strIniFile), dat = ReadFileBytes(Module1::strDatFile);
    if (!(folder ? Lock(folder_) : Lock(Module1::strIniFile) && Lock(Module1::strDatFile))) {
      GTEST_SKIP() << "chattr +i is not available here";
    }
    Form2* memo = Open(kBefore);
    SetWindowTextW(memo->Text1, L"失われない");
    memo->Command1_Click();
    if (folder) {
      // Files that may be changed but not created are written in place.
      Exit();
      EXPECT_TRUE(boxes_.empty());
      EXPECT_NE(ReadFileBytes(Module1::strDatFile), dat);
      EXPECT_EQ(ReadMemoText(Module1::strDatFile, win::Cipher(Module1::strAppPath), MemoKey(kBefore)), u"失われない");
    } else {
      memo->Command3_Click();
      ASSERT_EQ(LoadedMemoWindows().size(), 1u) << "a failed delete keeps the window";
      EXPECT_EQ(Text(memo->Text1), L"失われない");
      EXPECT_EQ(memo->strFirstText, u"前");
      SendMessageW(form_->hwnd(), WM_COMMAND, kCmdDeletePastMemos, 0);
      Form3::Open();
      common = Form3::Current();
      ASSERT_EQ(common->ListCount(), 1);
      common->SetListIndex(0);
      common->Command3_Click();
      Exit();  // closes the changed list on its way

      const std::wstring expected[] = {win::Wide(kWriteFailedPrompt), win::Wide(kDeleteFailedPrompt),
                                       win::Wide(kCommonWriteFailedPrompt)};
      ASSERT_EQ(boxes_.size(), 3u);
      for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(boxes_[i].text, expected[i]);
        EXPECT_EQ(boxes_[i].title, L"処理中断");
      }
      EXPECT_EQ(ReadFileBytes(Module1::strIniFile), ini);
      EXPECT_EQ(ReadFileBytes(Module1::strDatFile), dat);
    }
    for (const auto& entry : fs::directory_iterator(folder_)) EXPECT_NE(entry.path().extension(), L".tmp");
    for (const fs::path& p : locked_) Chattr(p, "-i");
    locked_.clear();
  }
}

// The real sound device: without Jihou.wav the open fails and nothing plays.
TEST_F(BadFolder, WithoutTheWaveFileTheChimeStaysSilent) {
  for (const bool present : {true, false}) {
    std::vector<std::pair<std::wstring, int>> sent;
    win::SetSoundForTesting([&sent](const std::wstring& command) {
      wchar_t answer[128] = L"";
      const int result = static_cast<int>(mciSendStringW(command.c_str(), answer, 128, nullptr));
      sent.emplace_back(command, result);
      return result;
    });
    DeleteFileW((folder_ / L"Jihou.wav").c_str());
    if (present) CopyFileW((DistFolder() / L"Jihou.wav").c_str(), (folder_ / L"Jihou.wav").c_str(), FALSE);
    Restart();
    for (int t = 10 * 3600 + 59 * 60 + 50; t < 11 * 3600 + 15; ++t) {
      win::SetClockForTesting([t] { return DateTime{DateFromYmd(2004, 9, 10), t / 3600, t / 60 % 60, t % 60, 0}; });
      form_->Timer3_Timer();
    }
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent[0].second == 0, present);
    bool played = false;
    for (const auto& [command, result] : sent) played = played || command.rfind(L"play", 0) == 0;
    EXPECT_EQ(played, present);
    EXPECT_NE(FormJihou::Current(), nullptr) << "the window opens either way";
  }
}

TEST_F(BadFolder, HundredYearsOfMemosStartSavePurgeAndOpenAllStopsCleanly) {
  const std::string value = Line(kBefore, u"毎日").substr(11);
  std::string bytes = "[Mekurinote]\r\n";
  const Date first = DateFromYmd(2000, 1, 1);
  for (int i = 0; i < 36500; ++i) bytes += MemoKey(first + i) + "=" + value;
  WriteFileBytes(Module1::strDatFile, bytes);
  auto start = std::chrono::steady_clock::now();
  auto lap = [&start] {
    const auto now = std::chrono::steady_clock::now();
    const double s = std::chrono::duration<double>(now - start).count();
    start = now;
    return s;
  };
  Restart();
  EXPECT_TRUE(Underlined(kBefore));
  Form2* memo = Open(kBefore);
  EXPECT_EQ(Text(memo->Text1), L"毎日");
  SetWindowTextW(memo->Text1, L"変更");
  memo->Command1_Click();
  SendMessageW(form_->hwnd(), WM_COMMAND, kCmdDeletePastMemos, 0);
  const double startSavePurge = lap();
  EXPECT_LT(startSavePurge, 10.0) << "a rewrite of the file per purged memo would take far longer";
  EXPECT_TRUE(boxes_.empty());
  EXPECT_FALSE(Underlined(kBefore - 5));
  memo->Command2_Click();

  const size_t stored = AllMemoDates(ReadFileBytes(Module1::strDatFile)).size();
  SendMessageW(form_->hwnd(), WM_COMMAND, kCmdOpenAllMemos, 0);
  const double openAll = lap();
  const auto memos = LoadedMemoWindows();
  ASSERT_EQ(memos.size(), Form1::kMaxMemoWindows) << "stops short of running out of windows";
  ASSERT_EQ(boxes_.size(), 1u) << "the user learns that memos stayed closed";
  const std::wstring closed = std::to_wstring(stored - Form1::kMaxMemoWindows);
  EXPECT_EQ(boxes_[0].text,
            L"メモ ウィンドウは一度に 500 個までしか開けません。\r\n開いていないメモが " + closed + L" 件あります。");
  EXPECT_EQ(boxes_[0].title, L"処理中断");
  EXPECT_EQ(Text(memos.front()->hwnd()), L"Memo - 2004/09/10");
  EXPECT_EQ(Text(memos.back()->Text1), L"毎日");
  SendMessageW(form_->hwnd(), WM_COMMAND, kCmdCloseAllButMain, 0);
  EXPECT_TRUE(LoadedMemoWindows().empty());
  std::printf("start, save and purge %.2f s; open all %.2f s; close %.2f s\n", startSavePurge, openAll, lap());
}

}  // namespace
}  // namespace mekuri::testing
