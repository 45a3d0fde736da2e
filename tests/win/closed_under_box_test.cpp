// The tray's exit and close-all commands arriving under any of the program's message boxes.
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <tuple>

#include "commonlist/common_list.h"
#include "commonlist/common_store.h"
#include "form_fixture.h"

namespace {
bool quarantine = false;  // while a case runs, freed memory is poisoned and never reused
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

const CipherLibrary kMissingCipher;
void Missing() { win::SetCipherForTesting(&kMissingCipher); }
void Command(HWND h, WPARAM id) { SendMessageW(h, WM_COMMAND, id, 0); }

// Where a box opens and what opens it; once it is up the cause is undone.
using Site = void (*)(Form1&, Form2&, Form3&);
const struct { const char* name; Site open; bool listStores; } kSites[] = {  // listStores: the command stores them
    {"memo save fails", [](Form1&, Form2& m, Form3&) { Missing(), Command(m.hwnd(), CommandId(1)); }, true},
    {"main window's message after a memo save",
     [](Form1& f, Form2& m, Form3&) { SetWindowTextW(f.Text1, L"abc"), Command(m.hwnd(), CommandId(1)); }, true},
    {"main window's message",
     [](Form1& f, Form2&, Form3&) { SetWindowTextW(f.Text1, L"abc"), SendMessageW(f.Command1, BM_CLICK, 0, 0); }, true},
    {"list close cannot store", [](Form1&, Form2&, Form3& l) { Missing(), Command(l.hwnd(), CommandId(4)); }, false},
    {"list close cannot store, inside close-all-but-main",
     [](Form1& f, Form2&, Form3&) { Missing(), Command(f.hwnd(), kCmdCloseAllButMain); }, false},
    {"list drop of too many files",
     [](Form1&, Form2&, Form3& l) { l.List1_OLEDragDrop(std::vector<std::wstring>(kMaxDroppedFiles + 1, L"C:\\a")); },
     true},
};

class ClosedUnderBox : public MainFormTest, public ::testing::WithParamInterface<std::tuple<int, uint16_t>> {
 protected:
  void SetUp() override { MainFormTest::SetUp(), quarantine = true; }
  void TearDown() override { MainFormTest::TearDown(), quarantine = false; }
};

TEST_P(ClosedUnderBox, LeavesNoFreedWindowAndNoLostItem) {
  const auto [siteIndex, command] = GetParam();
  const auto& site = kSites[siteIndex];
  Form1& main = LoadForm(2004, 9, 10);
  const std::filesystem::path datFile = Module1::strDatFile;
  Form2& memo = *OpenMemo(DateFromYmd(2004, 9, 15));
  SetWindowTextW(memo.Text1, L"draft");
  const std::vector<std::u16string> items{u"stored", u"added"};  // one stored before, one added since
  ASSERT_EQ(SaveCommonList(datFile, win::Cipher(Module1::strAppPath), {items[0]}), SaveResult::Saved);
  Form3& list = OpenCommon(L"added");

  bool outerStillClosing = true;
  win::SetMessageBoxForTesting([&](const win::MessageBoxCall& call) {
    boxes_.push_back(call);
    if (boxes_.size() == 1) {
      const bool outerClosing = Module1::BulkClosing();
      win::SetCipherForTesting(nullptr);
      Module1::strDatFile = datFile;
      Command(main.hwnd(), command);
      win::PumpMessages();
      if (outerClosing) outerStillClosing = Module1::BulkClosing();
    }
    return IDOK;
  });
  site.open(main, memo, list);
  win::PumpMessages();

  ASSERT_FALSE(boxes_.empty()) << site.name;
  EXPECT_TRUE(outerStillClosing) << site.name;
  const auto left = command == kCmdExit ? std::vector<win::Window*>{} : std::vector<win::Window*>{&main};
  EXPECT_EQ(win::Window::Loaded(), left) << site.name;
  if (site.listStores) {
    EXPECT_EQ(LoadCommonList(datFile, win::Cipher(Module1::strAppPath)).items, items) << site.name;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryBox, ClosedUnderBox,
                         ::testing::Combine(::testing::Range(0, static_cast<int>(std::size(kSites))),
                                            ::testing::Values(kCmdExit, kCmdCloseAllButMain, kCmdCloseAll)));

}  // namespace
}  // namespace mekuri::testing
