#pragma once

#define IDD_TEST_EXCHANGE 900
#define IDC_TEST_EDIT 901
#define IDC_TEST_COMBO 902
#define IDC_TEST_CHECK 903
#define IDC_TEST_3STATE 904
#define IDC_TEST_ACTION 905

#ifndef RC_INVOKED

#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "platform/data_exchange.h"
#include "platform/dialog.h"
#include "support/import_hook.h"
#include "support/user.h"

// The test program's name, which the framework gives as the caption of its boxes.
constexpr const char* kProgramName = "platform_tests";

// An edit control's text, exchanged the way a page's own exchange routine would do it.
inline void DDX_EditText(CDataExchange* pDX, int nIDC, CString& value) {
  if (pDX->Failed()) return;
  CWnd edit(pDX->PrepareCtrl(nIDC));
  if (pDX->m_bSaveAndValidate) {
    value = edit.GetWindowText();
  } else {
    edit.SetWindowText(value);
  }
}

// A page in miniature: bound controls, one exchange of each kind, a mapped button whose
// handler the test supplies, and counters for what the framework called.
class CTestDlg : public CDialog {
 public:
  explicit CTestDlg(CWnd* pParent = nullptr, UINT nIDTemplate = IDD_TEST_EXCHANGE)
      : CDialog(nIDTemplate, pParent) {}

  const MessageMap* GetMessageMap() const override {
    static const MessageMapEntry entries[] = {
        {IDC_TEST_ACTION, BN_CLICKED, Handler<&CTestDlg::OnAction>()},
    };
    static const MessageMap map = {&CDialog::messageMap, entries, std::size(entries)};
    return &map;
  }

  BOOL OnInitDialog() override {
    ++m_nInitCount;
    for (const std::string& item : m_comboItems) {
      ::SendDlgItemMessageA(m_hWnd, IDC_TEST_COMBO, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(item.c_str()));
    }
    return CDialog::OnInitDialog();
  }

  CButton m_btnAction;
  CComboBox m_combo;
  int m_nMissingId = 0;  // binds m_combo to this id instead, which the template may lack
  CString m_strEdit;
  CString m_strCombo;
  int m_nCheck = 0;
  int m_n3State = 0;
  int m_nEditMax = 5;
  int m_nComboMax = 4;
  std::vector<std::string> m_comboItems;
  std::function<void(CTestDlg&)> m_onAction;

  int m_nInitCount = 0;
  int m_nOKCount = 0;
  int m_nActionCount = 0;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_TEST_ACTION, m_btnAction);
    DDX_Control(pDX, m_nMissingId != 0 ? m_nMissingId : IDC_TEST_COMBO, m_combo);
    DDX_EditText(pDX, IDC_TEST_EDIT, m_strEdit);
    DDV_MaxChars(pDX, m_strEdit, m_nEditMax);
    DDX_CBString(pDX, IDC_TEST_COMBO, m_strCombo);
    DDV_MaxChars(pDX, m_strCombo, m_nComboMax);
    DDX_Check(pDX, IDC_TEST_CHECK, m_nCheck);
    DDX_Check(pDX, IDC_TEST_3STATE, m_n3State);
  }

  void OnOK() override {
    ++m_nOKCount;
    CDialog::OnOK();
  }

  void OnAction() {
    ++m_nActionCount;
    if (m_onAction) m_onAction(*this);
  }
};

// Records the program's MessageBoxA calls. With an answer it stands in for the box and
// returns that answer; without one it passes each call on to the real box.
class MessageBoxSpy {
 public:
  struct Call {
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
  };

  explicit MessageBoxSpy(int answer = 0)
      : hook_("USER32.dll", "MessageBoxA", &Record), answer_(answer) {
    active_ = this;
  }
  ~MessageBoxSpy() { active_ = nullptr; }
  MessageBoxSpy(const MessageBoxSpy&) = delete;
  MessageBoxSpy& operator=(const MessageBoxSpy&) = delete;

  bool installed() const { return hook_.installed(); }
  const std::vector<Call>& calls() const { return calls_; }

 private:
  static int WINAPI Record(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    MessageBoxSpy* self = active_;
    self->calls_.push_back({owner, text ? text : "", caption ? caption : "", type});
    if (self->answer_ != 0) return self->answer_;
    return self->hook_.original<decltype(&MessageBoxA)>()(owner, text, caption, type);
  }

  static inline MessageBoxSpy* active_ = nullptr;
  ImportHook hook_;
  int answer_;
  std::vector<Call> calls_;
};

// Moves the keyboard focus the way Tab does, so the dialog manager knows of it.
inline void FocusOn(HWND dlg, int controlId) {
  SendTo(dlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dlg, controlId)), TRUE);
}

// Types the characters into the window, one key at a time, honouring its typing limit.
inline void Type(HWND hwnd, const std::string& text) {
  for (char c : text) SendTo(hwnd, WM_CHAR, static_cast<unsigned char>(c), 1);
}

// True once the condition holds, false when it still does not after the time.
inline bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000) {
  const DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(10);
  }
  return true;
}

#endif  // RC_INVOKED
