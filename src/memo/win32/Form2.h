#pragma once
// The memo window: edits, saves and deletes the memo of one date. Its caption
// "Memo - yyyy/mm/dd" is its identity; the date key is its last 10 characters.
#include <windows.h>

#include <optional>
#include <string>

#include "base/date.h"
#include "memo/memo_store.h"
#include "platform/win32/controls.h"
#include "platform/win32/window.h"

namespace mekuri {

class Form2 : public win::Window {
 public:
  const wchar_t* FormName() const override { return L"Form2"; }

  // Creates a new memo window, hidden; it is deleted once closed.
  static Form2* Open();
  // Fills the window with the memo of a date as the openers do. A stored
  // memo that cannot be read is shown as such, read-only, and kept: the
  // window refuses to save over it and deletes it only when confirmed.
  void Fill(Date date, const StoredText& stored);
  // Shows the window and brings it to the front; at start-up it is only
  // shown (activate false): the notice shown after it takes the front.
  void Show(bool activate = true);
  void Unload() override;

  void Command1_Click();  // save
  void Command2_Click();  // close
  void Command3_Click();  // delete
  void Text1_Change();
  void Text1_KeyDown(int KeyCode, int Shift);

  std::u16string strFirstText;  // the text as last loaded or saved

  HWND Label1 = nullptr;
  HWND Label2 = nullptr;
  HWND Label3 = nullptr;
  HWND Label4 = nullptr;
  HWND Text1 = nullptr;
  HWND Frame1 = nullptr;
  HWND Command1 = nullptr;
  HWND Command2 = nullptr;
  HWND Command3 = nullptr;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void CreateControls() override;
  void OnCommand(int id, int code) override;
  void OnCancel() override;
  void OnDestroyed() override;

 private:
  // Returns false when the unload is cancelled (Ctrl held: the close turns
  // into closing every window but the main one).
  bool Form_Unload();
  void Form_Resize();
  std::string DateKey() const;
  void SelectAllText();
  void ShowStop(std::u16string_view prompt);
  std::optional<LRESULT> Text1Proc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam);

  bool unreadable_ = false;  // the stored memo exists but cannot be read
  bool fBusy = false;        // minimising every memo window
  bool eatChar_ = false;
  win::ToolTips tips_;
};

// Every loaded memo window, in load order.
std::vector<Form2*> LoadedMemoWindows();

}  // namespace mekuri
