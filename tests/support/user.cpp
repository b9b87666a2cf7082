#include "support/user.h"

#include <gtest/gtest.h>

#include "res/resource.h"

namespace {
constexpr DWORD kPollMs = 10;

struct EnumState {
  DWORD processId;
  DWORD threadId;
  std::vector<HWND>* out;
};

BOOL CALLBACK CollectDialog(HWND hwnd, LPARAM lParam) {
  auto* state = reinterpret_cast<EnumState*>(lParam);
  DWORD pid = 0;
  const DWORD tid = GetWindowThreadProcessId(hwnd, &pid);
  if (pid == state->processId && (state->threadId == 0 || tid == state->threadId) &&
      IsWindowVisible(hwnd) && User::ClassOf(hwnd) == kDialogClass)
    state->out->push_back(hwnd);
  return TRUE;
}

const char kWizardCaption[] = "Zephyrline 730 PCi  NT4 Driver Installation/de-installation";
}  // namespace

LRESULT SendTo(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result);
  return static_cast<LRESULT>(result);
}

User User::OfThread(DWORD threadId) { return User(GetCurrentProcessId(), threadId); }

User User::OfProcess(DWORD processId) { return User(processId, 0); }

std::vector<HWND> User::Dialogs() const {
  std::vector<HWND> found;
  EnumState state{processId_, threadId_, &found};
  EnumWindows(&CollectDialog, reinterpret_cast<LPARAM>(&state));
  return found;
}

HWND User::WaitForDialog(const std::function<bool(HWND)>& match, const std::string& what,
                         DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    for (HWND hwnd : Dialogs()) {
      if (match(hwnd)) {
        // Let the dialog finish its initialisation and settle its focus.
        Sleep(30);
        return hwnd;
      }
    }
    if (GetTickCount() - start > timeoutMs) Fail("timed out waiting for " + what);
    Sleep(kPollMs);
  }
}

HWND User::WaitForPageWith(int controlId, DWORD timeoutMs) {
  return WaitForDialog(
      [controlId](HWND hwnd) { return !IsMessageBox(hwnd) && GetDlgItem(hwnd, controlId); },
      "the page with control " + std::to_string(controlId), timeoutMs);
}

HWND User::WaitForWelcomePage(DWORD timeoutMs) {
  return WaitForDialog(
      [](HWND hwnd) {
        return Text(hwnd) == kWizardCaption && GetDlgItem(hwnd, IDOK) &&
               !GetDlgItem(hwnd, IDC_LICENCE_TEXT) && !GetDlgItem(hwnd, IDC_START_COM) &&
               !GetDlgItem(hwnd, IDC_NEXT);
      },
      "the welcome page", timeoutMs);
}

SeenMessageBox User::WaitForMessageBox(DWORD timeoutMs) {
  SeenMessageBox seen;
  seen.hwnd = WaitForDialog(&User::IsMessageBox, "a message box", timeoutMs);
  seen.owner = Owner(seen.hwnd);
  seen.caption = Text(seen.hwnd);
  seen.text = ItemText(seen.hwnd, kMessageBoxTextId);
  seen.hasIcon = GetDlgItem(seen.hwnd, kMessageBoxIconId) != nullptr;
  return seen;
}

HWND User::WaitForCaption(const std::string& caption, DWORD timeoutMs) {
  return WaitForDialog([&caption](HWND hwnd) { return Text(hwnd) == caption; },
                       "a window captioned \"" + caption + "\"", timeoutMs);
}

bool User::WaitUntilGone(HWND hwnd, DWORD timeoutMs) const {
  const DWORD start = GetTickCount();
  while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(kPollMs);
  }
  return true;
}

void User::Click(HWND dlg, int controlId) const {
  HWND item = GetDlgItem(dlg, controlId);
  if (item == nullptr) Fail("no control " + std::to_string(controlId) + " to click");
  PostMessageA(item, BM_CLICK, 0, 0);
}

void User::PressKeyInFocus(HWND dlg, UINT vk) const {
  HWND target = Focus(dlg);
  if (target == nullptr) target = dlg;
  const bool letter = vk >= 'A' && vk <= 'Z';
  PostMessageA(target, letter ? WM_SYSCHAR : WM_KEYDOWN, vk, letter ? 1 << 29 : 1);
  if (!letter) PostMessageA(target, WM_KEYUP, vk, 0xC0000001);
}

void User::CloseBox(HWND dlg) const { PostMessageA(dlg, WM_SYSCOMMAND, SC_CLOSE, 0); }

void User::SetText(HWND dlg, int controlId, const std::string& text) const {
  SendTo(GetDlgItem(dlg, controlId), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void User::SelectComboItem(HWND dlg, int controlId, int index) const {
  SendTo(GetDlgItem(dlg, controlId), CB_SETCURSEL, static_cast<WPARAM>(index));
}

std::string User::Text(HWND hwnd) {
  if (hwnd == nullptr) return {};
  // WM_GETTEXT: GetWindowText cannot read edit fields of another process.
  std::string text(SendTo(hwnd, WM_GETTEXTLENGTH) + 1, '\0');
  text.resize(SendTo(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0])));
  return text;
}

std::string User::ItemText(HWND dlg, int controlId) { return Text(GetDlgItem(dlg, controlId)); }

std::string User::ClassOf(HWND hwnd) {
  char name[64] = {};
  GetClassNameA(hwnd, name, sizeof(name));
  return name;
}

bool User::Enabled(HWND dlg, int controlId) {
  return IsWindowEnabled(GetDlgItem(dlg, controlId)) != FALSE;
}

int User::Checked(HWND dlg, int controlId) {
  return static_cast<int>(SendTo(GetDlgItem(dlg, controlId), BM_GETCHECK));
}

HWND User::Owner(HWND hwnd) { return GetWindow(hwnd, GW_OWNER); }

HWND User::Focus(HWND dlg) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(dlg, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

bool User::IsMessageBox(HWND hwnd) {
  // Pages have statics with id -1 too; a message box is told apart by its creator: no module
  // under Wine, user32 on Windows (loaded at the same address in every process).
  const auto creator = reinterpret_cast<HMODULE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE));
  const bool byUser32 = creator == nullptr || creator == GetModuleHandleA("user32.dll");
  return byUser32 && GetDlgItem(hwnd, kMessageBoxTextId) != nullptr;
}

void User::Rescue() const {
  for (int round = 0; round < 200; ++round) {
    const std::vector<HWND> open = Dialogs();
    if (open.empty()) return;
    for (HWND hwnd : open) {
      // Message boxes and prompts end on WM_CLOSE; pages whose Cancel is disabled on IDCANCEL.
      PostMessageA(hwnd, WM_CLOSE, 0, 0);
      PostMessageA(hwnd, WM_COMMAND, IDCANCEL, 0);
    }
    Sleep(50);
  }
}

void User::Fail(const std::string& message) const {
  ADD_FAILURE() << message << "\nOpen windows:\n" << Describe();
  Rescue();
  throw ScriptAborted();
}

std::string User::Describe() const {
  std::string out;
  for (HWND hwnd : Dialogs()) {
    out += "  [" + Text(hwnd) + "]";
    if (IsMessageBox(hwnd)) out += " box: " + ItemText(hwnd, kMessageBoxTextId);
    out += "\n";
  }
  return out.empty() ? "  (none)\n" : out;
}

UserScript::UserScript(std::function<void(User&)> script)
    : script_(std::move(script)),
      testThreadId_(GetCurrentThreadId()),
      done_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      thread_(CreateThread(nullptr, 0, &UserScript::Run, this, 0, nullptr)) {}

UserScript::~UserScript() {
  SetEvent(done_);
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  CloseHandle(done_);
}

DWORD WINAPI UserScript::Run(LPVOID param) {
  auto* self = static_cast<UserScript*>(param);
  User user = User::OfThread(self->testThreadId_);
  try {
    self->script_(user);
  } catch (const ScriptAborted&) {
    return 0;
  }
  // The script is over; whatever it left open must close soon, or the test would hang.
  if (WaitForSingleObject(self->done_, 15000) == WAIT_TIMEOUT) {
    ADD_FAILURE() << "windows still open after the script ended";
    user.Rescue();
  }
  return 0;
}
