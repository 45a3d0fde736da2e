#pragma once
// The common-information window: the list of up to 100 texts that belong to
// no date, each with a check box. The list is read from the memo file when
// the window loads and written back when it unloads. One instance, modeless.
#include <windows.h>

#include <string>
#include <vector>

#include "commonlist/common_store.h"
#include "platform/win32/controls.h"
#include "platform/win32/window.h"

namespace mekuri {

class Form3 : public win::Window {
 public:
  const wchar_t* FormName() const override { return L"Form3"; }

  // Opens the window centred on the screen, or brings the open one forward;
  // a window just opened tells once of stored values it could not read.
  // It deletes itself when destroyed. nullptr if it cannot be created or is
  // gone by the time the notice is answered.
  static Form3* Open();
  static Form3* Current();
  // Writes the list back and closes. When the list cannot be stored the
  // window stays open with its items, except at exit and in a close-all.
  void Unload() override;

  void Command1_Click();  // add
  void Command2_Click();  // modify
  void Command3_Click();  // delete one
  void Command4_Click();  // close
  void List1_Click();
  void List1_KeyDown(int KeyCode, int Shift);
  // The paths of files dropped onto the list, in the drop's order.
  void List1_OLEDragDrop(const std::vector<std::wstring>& files);
  void Text1_GotFocus();
  void Text1_LostFocus();
  void Text1_KeyDown(int KeyCode, int Shift);
  void Text1_Change();
  void Timer1_Timer();
  void SortList(bool fDownStream);
  void DeleteAll();
  void DeleteCheck();

  // The list as the user sees it.
  int ListCount() const;
  std::wstring ListText(int index) const;
  bool Selected(int index) const;
  bool Checked(int index) const;
  void SetChecked(int index, bool checked);
  int ListIndex() const;  // the selected item, -1 for none
  void SetListIndex(int index);

  std::wstring strLastAdded;
  bool fTextEntered = false;
  int nLastMinute = -1;

  HWND List1 = nullptr;
  HWND Text1 = nullptr;
  HWND Label1 = nullptr;
  HWND Label2 = nullptr;
  HWND Frame1 = nullptr;
  HWND Command1 = nullptr;
  HWND Command2 = nullptr;
  HWND Command3 = nullptr;
  HWND Command4 = nullptr;
  HWND Label3 = nullptr;
  HWND List2 = nullptr;  // hidden, sorted: the buffer of SortList

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void CreateControls() override;
  void Layout() override;
  void OnCommand(int id, int code) override;

 private:
  void FitColumn();
  void Form_Load();
  void ReportUnreadable();
  // False when the list could not be stored and the window is to stay
  // (only when it `canStay`: not while it is being destroyed).
  bool Form_Unload(bool canStay);
  void AddItem(const std::wstring& text);
  void RemoveItem(int index);
  void ClearList();
  void ShowCount();
  void ApplyButtonRule();
  void CopyToClipboard(const std::wstring& text);
  void ShowStop(std::u16string_view prompt);

  StoredCommonList stored_;  // the list as read when the window opened
  bool unloaded_ = false;
  win::ToolTips tips_;
};

}  // namespace mekuri
