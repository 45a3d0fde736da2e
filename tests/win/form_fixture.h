#pragma once
// The program's windows loaded in this process over a private folder, with the
// clock set and message boxes and tray calls recorded instead of shown. Every
// window a test opens is made here, through the commands the program uses.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "calendar/win32/Form1.h"
#include "platform/win32/message_box.h"

namespace mekuri {
class Form2;
class Form3;
class Form4;
class FormJihou;
class FormMsg;
class FormToday;
class FormVer;
}  // namespace mekuri

namespace mekuri::testing {

// The built program folder: MEKURI_DIST, or dist\ beside the test exe or above it.
std::filesystem::path DistFolder();
std::string ReadFileBytes(const std::filesystem::path& file);
void WriteFileBytes(const std::filesystem::path& file, const std::string& bytes);
// A key to the focused control, for the loop that runs next.
void PostKey(UINT vk);

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the settings file as start-up reads it, before the window loads.
  void WriteSettings(const std::string& bytes);
  // The main window with the clock at the given day, 12:00, its procedure and tray icon in place.
  Form1& LoadForm(int year = 2004, int month = 9, int day = 10);
  void SetClock(int year, int month, int day, int hour, int minute, int second);
  // A day of the grid double-clicked, as its label reports it.
  Form2* OpenMemo(Date day);
  // The common list, opened by the command every sender posts.
  Form3& OpenCommon();
  FormMsg* OpenMessage(const std::u16string& time, const std::u16string& text);
  FormJihou* OpenTimeSignal();
  FormToday* OpenNotice();
  FormVer* OpenVersion();
  // Runs the date dialog over the main window, one step per timer tick while
  // its loop runs; a dialog still open after the last step is cancelled and
  // noted in dialogLeftOpen_. `open` starts the wait (default: ShowModal).
  Date RunDateDialog(std::vector<std::function<void(Form4&)>> steps, const std::function<void()>& open = nullptr);

  void PressKey(HWND target, UINT vk);  // focused, posted, then the loop runs
  // Real key strokes through the system's input queue: (virtual key, up).
  void SendKeys(const std::vector<std::pair<WORD, bool>>& keys);
  std::wstring Text(HWND hwnd) const;
  int CountLoaded(const wchar_t* formName) const;

  std::filesystem::path folder_;
  std::vector<win::MessageBoxCall> boxes_;
  std::vector<DWORD> trayMessages_;
  Form1* form_ = nullptr;
  bool dialogLeftOpen_ = false;
};

}  // namespace mekuri::testing
