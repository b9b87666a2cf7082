// A user at the screen, for tests. It finds the windows of one thread (a page run in this
// process) or of one process (setup.exe run as a child), reads them as a person would see
// them and acts on them with clicks and keys. Every wait has a time limit: a window that
// never comes fails the test, closes whatever is open and ends the script, so nothing hangs.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// The dialog class: pages, message boxes and the setup API's own prompts.
constexpr const char* kDialogClass = "#32770";
// The static control that holds a message box's text, and its icon.
constexpr int kMessageBoxTextId = 0xFFFF;
constexpr int kMessageBoxIconId = 1088;

struct SeenMessageBox {
  HWND hwnd = nullptr;
  HWND owner = nullptr;
  std::string caption;
  std::string text;
  bool hasIcon = false;
};

// Thrown to end a script once a wait has failed; the test has already been marked failed.
struct ScriptAborted {};

// A message sent to a window of another thread or process; given up after 5 s if it hangs.
LRESULT SendTo(HWND hwnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

class User {
 public:
  static User OfThread(DWORD threadId);
  static User OfProcess(DWORD processId);

  // Visible dialogs of the scope, newest first as the system lists them.
  std::vector<HWND> Dialogs() const;

  // A visible dialog that passes `match`. `what` names it in a failure.
  HWND WaitForDialog(const std::function<bool(HWND)>& match, const std::string& what,
                     DWORD timeoutMs = 10000);
  // A page of the wizard: the visible dialog with a control of this id (and not a box).
  HWND WaitForPageWith(int controlId, DWORD timeoutMs = 10000);
  // The welcome page: the wizard's caption and none of the other pages' controls.
  HWND WaitForWelcomePage(DWORD timeoutMs = 10000);
  SeenMessageBox WaitForMessageBox(DWORD timeoutMs = 10000);
  HWND WaitForCaption(const std::string& caption, DWORD timeoutMs = 10000);

  // True when the window is gone (destroyed or hidden) within the time.
  bool WaitUntilGone(HWND hwnd, DWORD timeoutMs = 10000) const;

  // Acting. Clicks and keys are posted, so a click that opens modal windows returns at once. A
  // letter is pressed with Alt: it picks the control whose access key it is.
  void Click(HWND dlg, int controlId) const;
  void PressKeyInFocus(HWND dlg, UINT vk) const;
  void CloseBox(HWND dlg) const;
  void SetText(HWND dlg, int controlId, const std::string& text) const;
  void SelectComboItem(HWND dlg, int controlId, int index) const;

  // Reading.
  static std::string Text(HWND hwnd);
  static std::string ItemText(HWND dlg, int controlId);
  static std::string ClassOf(HWND hwnd);
  static bool Enabled(HWND dlg, int controlId);
  static int Checked(HWND dlg, int controlId);
  static HWND Owner(HWND hwnd);
  static HICON Icon(HWND w, WPARAM size) { return HICON(SendMessageA(w, WM_GETICON, size, 0)); }
  static HWND Focus(HWND dlg);
  static bool IsMessageBox(HWND hwnd);

  // Ends what is open in the scope, so that a failed test can finish.
  void Rescue() const;
  // The open dialogs, a line each: caption, and a box's text.
  std::string Describe() const;

 private:
  User(DWORD processId, DWORD threadId) : processId_(processId), threadId_(threadId) {}
  [[noreturn]] void Fail(const std::string& message) const;

  DWORD processId_;
  DWORD threadId_;
};

// A way a person leaves a page, and the end code it must give.
struct PageExit {
  const char* name;
  void (*act)(User&, HWND);
  INT_PTR expected;
};

// Runs a script on a second thread, as a user at the keyboard, while the test thread runs a
// modal page. The script acts on the windows of the thread that created this object.
class UserScript {
 public:
  explicit UserScript(std::function<void(User&)> script);
  ~UserScript();
  UserScript(const UserScript&) = delete;
  UserScript& operator=(const UserScript&) = delete;

 private:
  static DWORD WINAPI Run(LPVOID self);

  std::function<void(User&)> script_;
  DWORD testThreadId_;
  HANDLE done_;
  HANDLE thread_;
};
