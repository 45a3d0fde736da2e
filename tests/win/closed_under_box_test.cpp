// A message box runs a message loop of its own: the tray's exit and close-all
// commands can arrive while any of the program's boxes is open, and close the
// window that asked. No window object is used after its deletion, a close-all
// started inside another leaves the outer one going, and the list keeps its
// items.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <tuple>

#include "commonlist/common_list.h"
#include "commonlist/common_store.h"
#include "commonlist/win32/Form3.h"
#include "form_fixture.h"
#include "mainwindow/win32/MainWndProc.h"
#include "memo/win32/Form2.h"
#include "platform/control_ids.h"
#include "platform/win32/cipher_library.h"
#include "platform/win32/text.h"
#include "platform/win32/window.h"
#include "shell/commands.h"
#include "state/win32/Module1.h"

namespace {
// While a case runs, freed memory is poisoned and never reused: a window
// object used after its deletion fails its liveness check or reads garbage.
bool quarantine = false;
}  // namespace

void operator delete(void* p) noexcept {
  if (p && quarantine) {
    std::memset(p, 0xDD, _msize(p));
    return;
  }
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { ::operator delete(p); }

namespace mekuri::testing {
namespace {

const Date kDay = DateFromYmd(2004, 9, 15);

// Where a box opens and what makes it open. Once the box is up the cause is
// undone, so that the command sent under it can store what it closes.
struct Site {
  const char* name;
  std::function<void(Form1&, Form2&, Form3&)> open;
  bool listStores;  // the list's items are stored by the command under the box
};

const CipherLibrary kMissingCipher;

void SaveMemo(Form2& memo) { SendMessageW(memo.hwnd(), WM_COMMAND, CommandId(1), 0); }

const Site kSites[] = {
    {"memo save fails",
     [](Form1&, Form2& memo, Form3&) {
       win::SetCipherForTesting(&kMissingCipher);
       SaveMemo(memo);
     },
     true},
    {"memo delete fails",
     [](Form1&, Form2& memo, Form3&) {
       Module1::strDatFile = Module1::strDatFile.parent_path() / L"gone" / L"memo.dat";
       SendMessageW(memo.hwnd(), WM_COMMAND, CommandId(3), 0);
     },
     true},
    {"main window's message after a memo save",
     [](Form1& main, Form2& memo, Form3&) {
       SetWindowTextW(main.Text1, L"abc");
       SaveMemo(memo);
     },
     true},
    {"main window's message",
     [](Form1& main, Form2&, Form3&) {
       SetWindowTextW(main.Text1, L"abc");
       SendMessageW(main.hwnd(), WM_COMMAND, CommandId(1), reinterpret_cast<LPARAM>(main.Command1));
     },
     true},
    {"list close cannot store",
     [](Form1&, Form2&, Form3& list) {
       win::SetCipherForTesting(&kMissingCipher);
       SendMessageW(list.hwnd(), WM_COMMAND, CommandId(4), 0);
     },
     false},
    {"list close cannot store, inside close-all-but-main",
     [](Form1& main, Form2&, Form3&) {
       win::SetCipherForTesting(&kMissingCipher);
       SendMessageW(main.hwnd(), WM_COMMAND, kCmdCloseAllButMain, 0);
     },
     false},
    {"list drop of too many files",
     [](Form1&, Form2&, Form3& list) {
       list.List1_OLEDragDrop(std::vector<std::wstring>(kMaxDroppedFiles + 1, L"C:\\a.txt"));
     },
     true},
};

class ClosedUnderBox : public MainFormTest, public ::testing::WithParamInterface<std::tuple<int, uint16_t>> {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    quarantine = true;
  }
  void TearDown() override {
    MainFormTest::TearDown();
    quarantine = false;
    Module1::exiting = false;
  }
};

TEST_P(ClosedUnderBox, LeavesNoFreedWindowAndNoLostItem) {
  const auto [siteIndex, command] = GetParam();
  const Site& site = kSites[siteIndex];
  Form1& main = LoadForm(2004, 9, 10);
  InstallMainWindowProcedure(main);
  const std::filesystem::path datFile = Module1::strDatFile;
  main.Today_DblClick(kDay, false);
  Form2& memo = *LoadedMemoWindows().back();
  SetWindowTextW(memo.Text1, L"draft");
  // One item stored before, one added since: both must be stored at the end.
  const std::vector<std::u16string> items{u"stored", u"added"};
  ASSERT_EQ(SaveCommonList(datFile, win::Cipher(Module1::strAppPath), {items[0]}), SaveResult::Saved);
  Form3& list = *Form3::Open();
  list.fTextEntered = true;
  SetWindowTextW(list.Text1, L"added");
  list.Command1_Click();

  bool outerStillClosing = true;
  win::SetMessageBoxForTesting([&](const win::MessageBoxCall& call) {
    boxes_.push_back(call);
    if (boxes_.size() == 1) {
      const bool outerClosing = Module1::BulkClosing();
      win::SetCipherForTesting(nullptr);
      Module1::strDatFile = datFile;
      SendMessageW(main.hwnd(), WM_COMMAND, command, 0);
      win::PumpMessages();
      if (outerClosing) outerStillClosing = Module1::BulkClosing();
    }
    return IDOK;
  });
  site.open(main, memo, list);
  win::PumpMessages();

  ASSERT_FALSE(boxes_.empty()) << site.name;
  EXPECT_TRUE(outerStillClosing) << site.name;
  if (command == kCmdExit) {
    EXPECT_TRUE(win::Window::Loaded().empty()) << site.name;
  } else {
    EXPECT_EQ(win::Window::Loaded(), std::vector<win::Window*>{&main}) << site.name;
  }
  if (site.listStores) {
    EXPECT_EQ(LoadCommonList(datFile, win::Cipher(Module1::strAppPath)).items, items) << site.name;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryBox, ClosedUnderBox,
                         ::testing::Combine(::testing::Range(0, static_cast<int>(std::size(kSites))),
                                            ::testing::Values(kCmdExit, kCmdCloseAllButMain, kCmdCloseAll)));

}  // namespace
}  // namespace mekuri::testing
