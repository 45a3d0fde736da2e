#pragma once
// A main window loaded in this process over a private folder, with the clock
// set and message boxes recorded instead of shown.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <string>
#include <vector>

#include "mainwindow/win32/Form1.h"
#include "platform/win32/message_box.h"

namespace mekuri::testing {

std::filesystem::path MakeTempFolder();
// The built program folder: MEKURI_DIST, or dist\ beside the test exe or one
// of its parents.
std::filesystem::path DistFolder();
std::string ReadFileBytes(const std::filesystem::path& file);
void WriteFileBytes(const std::filesystem::path& file, const std::string& bytes);

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes the settings file before the window loads.
  void WriteSettings(const std::string& bytes);
  // Loads the main window with the clock at the given day, 12:00.
  Form1& LoadForm(int year = 2004, int month = 9, int day = 10);

  // Types text into a box the way the user's keys end up, and presses keys
  // through the message loop (dialog handling included).
  void SetBox(HWND box, const std::wstring& text);
  void PressKey(HWND target, UINT vk);
  // Real key strokes through the system's input queue: (virtual key, up).
  void SendKeys(const std::vector<std::pair<WORD, bool>>& keys);
  std::wstring Text(HWND hwnd) const;
  std::wstring TooltipOf(HWND control) const;

  std::filesystem::path folder_;
  std::vector<win::MessageBoxCall> boxes_;
  Form1* form_ = nullptr;
};

}  // namespace mekuri::testing
