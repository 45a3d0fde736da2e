// Window tests: the real windows of the program, created in this process
// under Wine, driven the way the system drives them.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
