#include "platform/dialog.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/test_dialogs.h"
#include "platform/win_app.h"
#include "support/user.h"

namespace {
HWND WaitForTestDialog(User& u) { return u.WaitForPageWith(IDC_TEST_ACTION); }

// A top-level window of this thread that is never shown, to stand as a parent or an owner.
struct HiddenWindow {
  HiddenWindow()
      : hwnd(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                             nullptr)) {}
  ~HiddenWindow() {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }
  HWND hwnd;
};

// Each way of ending the dialog, the end code it must give, and whether the controls were
// saved into the members on the way out.
struct Leave {
  const char* name;
  void (*act)(User&, HWND);
  INT_PTR expected;
  bool saved;
};

const Leave kLeaves[] = {
    {"OK", [](User& u, HWND dlg) { u.Click(dlg, IDOK); }, IDOK, true},
    {"Enter in the edit",
     [](User& u, HWND dlg) {
       FocusOn(dlg, IDC_TEST_EDIT);
       u.PressKeyInFocus(dlg, VK_RETURN);
     },
     IDOK, true},
    {"Cancel", [](User& u, HWND dlg) { u.Click(dlg, IDCANCEL); }, IDCANCEL, false},
    {"Esc", [](User& u, HWND dlg) { u.PressKeyInFocus(dlg, VK_ESCAPE); }, IDCANCEL, false},
    {"close box", [](User& u, HWND dlg) { u.CloseBox(dlg); }, IDCANCEL, false},
    {"EndDialog(42) in a handler", [](User& u, HWND dlg) { u.Click(dlg, IDC_TEST_ACTION); }, 42,
     false},
};
}  // namespace

TEST(CDialog, EndsWithTheCodeOfEachWayOutAndSavesOnlyOnOK) {
  for (const Leave& leave : kLeaves) {
    SCOPED_TRACE(leave.name);
    CTestDlg dlg;
    // A click that reaches the dialog once it has ended runs no handler.
    dlg.m_onAction = [](CTestDlg& d) {
      d.EndDialog(42);
      if (d.m_nActionCount == 1)
        SendMessageA(d.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_TEST_ACTION, BN_CLICKED), 0);
    };
    UserScript user([&](User& u) {
      HWND page = WaitForTestDialog(u);
      SendTo(GetDlgItem(page, IDC_TEST_CHECK), BM_SETCHECK, BST_CHECKED);
      u.SetText(page, IDC_TEST_COMBO, "abc");
      leave.act(u, page);
    });
    EXPECT_EQ(leave.expected, dlg.DoModal());
    EXPECT_EQ(leave.expected == 42 ? 1 : 0, dlg.m_nActionCount);
    EXPECT_EQ(leave.saved ? 1 : 0, dlg.m_nCheck);
    EXPECT_EQ(leave.saved ? "abc" : "", std::string(dlg.m_strCombo));
    EXPECT_EQ(leave.saved ? 1 : 0, dlg.m_nOKCount);
    EXPECT_EQ(1, dlg.m_nInitCount);
  }

  CTestDlg missing(nullptr, 999);
  EXPECT_EQ(-1, missing.DoModal());
  EXPECT_EQ(0, missing.m_nInitCount);
}

TEST(CDialog, RoutesButtonClicksThroughTheMessageMap) {
  CTestDlg dlg;
  dlg.m_onAction = [](CTestDlg& d) {
    d.SetWindowText(("action " + std::to_string(d.m_nActionCount)).c_str());
  };
  UserScript user([&](User& u) {
    HWND page = WaitForTestDialog(u);
    u.Click(page, IDC_TEST_ACTION);
    EXPECT_TRUE(WaitUntil([&] { return User::Text(page) == "action 1"; }));

    // No entry for the check box: the click only toggles it.
    u.Click(page, IDC_TEST_CHECK);
    EXPECT_TRUE(WaitUntil([&] { return User::Checked(page, IDC_TEST_CHECK) == BST_CHECKED; }));

    // Enter clicks the focused push button, not the default one.
    FocusOn(page, IDC_TEST_ACTION);
    u.PressKeyInFocus(page, VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return User::Text(page) == "action 2"; }));
    EXPECT_TRUE(IsWindowVisible(page));

    // Enter on a control that is no push button clicks the default button.
    FocusOn(page, IDC_TEST_CHECK);
    u.PressKeyInFocus(page, VK_RETURN);
  });
  EXPECT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ(2, dlg.m_nActionCount);
  EXPECT_EQ(1, dlg.m_nOKCount);
  EXPECT_EQ(1, dlg.m_nCheck);
  // True only where an entry ran: a handled command must not go on to the application too.
  EXPECT_TRUE(dlg.OnCmdMsg(IDC_TEST_ACTION, BN_CLICKED));
  EXPECT_FALSE(dlg.OnCmdMsg(IDC_TEST_CHECK, BN_CLICKED));
}

TEST(CDialog, IsOwnedByItsParentElseByTheActiveWindowWhichItDisables) {
  HiddenWindow hidden;
  CWnd hiddenParent(hidden.hwnd);
  struct Case {
    const char* name;
    CWnd* parent;
  };
  for (const Case& c : {Case{"no parent", nullptr}, Case{"a parent", &hiddenParent}}) {
    SCOPED_TRACE(c.name);
    INT_PTR innerResult = 0;
    CTestDlg outer;
    outer.m_onAction = [&](CTestDlg&) {
      CTestDlg inner(c.parent);
      innerResult = inner.DoModal();
    };
    UserScript user([&](User& u) {
      HWND outerPage = WaitForTestDialog(u);
      EXPECT_EQ(nullptr, User::Owner(outerPage)) << "nothing was active";
      u.Click(outerPage, IDC_TEST_ACTION);
      HWND innerPage = u.WaitForDialog(
          [&](HWND h) { return h != outerPage && GetDlgItem(h, IDC_TEST_ACTION) != nullptr; },
          "the inner dialog");
      const HWND expectedOwner = c.parent != nullptr ? hidden.hwnd : outerPage;
      EXPECT_EQ(expectedOwner, User::Owner(innerPage));
      EXPECT_FALSE(IsWindowEnabled(expectedOwner));
      if (c.parent != nullptr) {
        EXPECT_TRUE(IsWindowEnabled(outerPage));
      }
      u.Click(innerPage, IDCANCEL);
      EXPECT_TRUE(u.WaitUntilGone(innerPage));
      EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(expectedOwner) != FALSE; }));
      u.Click(outerPage, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, outer.DoModal());
    EXPECT_EQ(IDCANCEL, innerResult);
  }
}

TEST(CDialog, BindsControlsAndLoadsAfreshOnEachRun) {
  CTestDlg dlg;
  // A control the template lacks fails the load before the dialog shows.
  dlg.m_nMissingId = 999;
  {
    std::atomic<bool> returned{false};
    UserScript user([&](User& u) {
      while (!returned) {
        for (HWND shown : u.Dialogs()) u.Click(shown, IDCANCEL);
        Sleep(10);
      }
    });
    EXPECT_EQ(-1, dlg.DoModal());
    returned = true;
  }
  EXPECT_EQ(nullptr, dlg.m_btnAction.GetSafeHwnd());
  dlg.m_nMissingId = 0;
  dlg.m_nInitCount = 0;

  dlg.m_onAction = [](CTestDlg& d) {
    EXPECT_EQ(GetDlgItem(d.m_hWnd, IDC_TEST_COMBO), d.m_combo.GetSafeHwnd());
    EXPECT_EQ(GetDlgItem(d.m_hWnd, IDC_TEST_ACTION), d.m_btnAction.GetSafeHwnd());
    d.EndDialog(IDOK);
  };
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    const std::string shown = "r" + std::to_string(run);
    dlg.m_strCombo = shown.c_str();
    HGDIOBJ font = nullptr;
    UserScript user([&](User& u) {
      HWND page = WaitForTestDialog(u);
      EXPECT_EQ(shown, User::ItemText(page, IDC_TEST_COMBO));
      font = reinterpret_cast<HGDIOBJ>(SendMessageA(page, WM_GETFONT, 0, 0));
      u.Click(page, IDC_TEST_ACTION);
    });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(0u, GetObjectType(font)) << "the page's font outlived it";
    EXPECT_EQ(run, dlg.m_nInitCount);
    EXPECT_EQ(nullptr, dlg.m_combo.GetSafeHwnd());
    EXPECT_EQ(nullptr, dlg.GetSafeHwnd());
  }
}

namespace {
// Where a dialog of this thread showed itself, read when it appears; then it is cancelled.
RECT ShownRect(CDialog& dlg) {
  RECT shown = {};
  UserScript user([&](User& u) {
    HWND page = WaitForTestDialog(u);
    GetWindowRect(page, &shown);
    u.Click(page, IDCANCEL);
  });
  EXPECT_EQ(IDCANCEL, dlg.DoModal());
  return shown;
}

void ExpectCentredOn(const RECT& expected, const RECT& actual) {
  EXPECT_NEAR(expected.left + expected.right, actual.left + actual.right, 2);
  EXPECT_NEAR(expected.top + expected.bottom, actual.top + actual.bottom, 2);
}

class CSelfPlacedDlg : public CTestDlg {
 public:
  RECT m_before = {};
  BOOL OnInitDialog() override {
    GetWindowRect(m_hWnd, &m_before);
    SetWindowPos(m_hWnd, nullptr, 7, m_before.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return CTestDlg::OnInitDialog();
  }
};
}  // namespace

TEST(CDialog, OpensCentredOverItsOwnerElseOnTheWorkAreaUnlessItPlacedItself) {
  RECT area = {};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  {
    SCOPED_TRACE("no owner");
    CTestDlg dlg;
    ExpectCentredOn(area, ShownRect(dlg));
  }
  {
    SCOPED_TRACE("an owner off the centre, larger than the dialog");
    HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 40, 30, 600, 400, nullptr,
                                 nullptr, nullptr, nullptr);
    CWnd ownerWnd(owner);
    CTestDlg dlg(&ownerWnd);
    RECT ownerRect = {};
    GetWindowRect(owner, &ownerRect);
    ExpectCentredOn(ownerRect, ShownRect(dlg));
    DestroyWindow(owner);
  }
  const struct {
    const char* name;
    int x, y;
    LONG RECT::*edge;
  } kPast[] = {
      {"an owner dragged past the left edge of the work area", area.left - 500, 100, &RECT::left},
      {"an owner dragged above the top of the work area", 100, area.top - 300, &RECT::top},
      {"an owner dragged partly past the right edge", area.right - 300, 100, &RECT::right},
  };
  for (const auto& c : kPast) {
    SCOPED_TRACE(c.name);
    HWND owner = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, c.x, c.y, 600, 400,
                                 nullptr, nullptr, nullptr, nullptr);
    CWnd ownerWnd(owner);
    CTestDlg dlg(&ownerWnd);
    EXPECT_EQ(area.*c.edge, ShownRect(dlg).*c.edge);
    DestroyWindow(owner);
  }
  {
    SCOPED_TRACE("placed itself, though across only");
    CSelfPlacedDlg dlg;
    const RECT shown = ShownRect(dlg);
    EXPECT_EQ(7, shown.left);
    EXPECT_EQ(dlg.m_before.top, shown.top);
  }
}

TEST(AfxMessageBox, AddsTheExclamationIconOnlyToAnIconlessRequest) {
  struct Case {
    UINT asked;
    UINT shown;
  };
  const Case kCases[] = {
      {MB_OK, MB_OK | MB_ICONEXCLAMATION},
      {MB_OKCANCEL, MB_OKCANCEL | MB_ICONEXCLAMATION},
      {MB_YESNO | MB_DEFBUTTON2, MB_YESNO | MB_DEFBUTTON2 | MB_ICONEXCLAMATION},
      {MB_YESNOCANCEL, MB_YESNOCANCEL | MB_ICONEXCLAMATION},
      {MB_RETRYCANCEL, MB_RETRYCANCEL},
      {MB_ABORTRETRYIGNORE, MB_ABORTRETRYIGNORE},
      {MB_OK | MB_ICONINFORMATION, MB_OK | MB_ICONINFORMATION},
      {MB_YESNO | MB_ICONQUESTION, MB_YESNO | MB_ICONQUESTION},
      {MB_OKCANCEL | MB_ICONSTOP, MB_OKCANCEL | MB_ICONSTOP},
      {MB_OK | MB_ICONEXCLAMATION, MB_OK | MB_ICONEXCLAMATION},
  };
  MessageBoxSpy spy(IDNO);
  ASSERT_TRUE(spy.installed());
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.asked);
    EXPECT_EQ(IDNO, AfxMessageBox("Careful", c.asked));
    ASSERT_FALSE(spy.calls().empty());
    const MessageBoxSpy::Call& call = spy.calls().back();
    EXPECT_EQ(c.shown, call.type);
    EXPECT_EQ("Careful", call.text);
    EXPECT_EQ(kProgramName, call.caption);
    EXPECT_EQ(nullptr, call.owner) << "nothing is active";
  }

  // Asked from a running dialog, the box belongs to it.
  HWND page = nullptr;
  CTestDlg dlg;
  dlg.m_onAction = [&](CTestDlg& d) {
    page = d.m_hWnd;
    AfxMessageBox("From the page");
    d.EndDialog(IDOK);
  };
  UserScript user([&](User& u) { u.Click(WaitForTestDialog(u), IDC_TEST_ACTION); });
  EXPECT_EQ(IDOK, dlg.DoModal());
  ASSERT_NE(nullptr, page);
  EXPECT_EQ(page, spy.calls().back().owner);
}

TEST(CWndMessageBox, KeepsTheCallersCaptionAndTypeAndIsOwnedWhileTheWindowLives) {
  MessageBoxSpy spy(IDRETRY);
  ASSERT_TRUE(spy.installed());
  HiddenWindow hidden;
  CWnd wnd(hidden.hwnd);

  EXPECT_EQ(IDRETRY, wnd.MessageBox("One", "Setup Error", MB_OK));
  EXPECT_EQ(IDRETRY, wnd.MessageBox("Two", nullptr, MB_YESNO | MB_DEFBUTTON2));
  DestroyWindow(hidden.hwnd);
  EXPECT_EQ(IDRETRY, wnd.MessageBox("Three"));

  ASSERT_EQ(3u, spy.calls().size());
  const auto& calls = spy.calls();
  EXPECT_EQ(hidden.hwnd, calls[0].owner);
  EXPECT_EQ("One", calls[0].text);
  EXPECT_EQ("Setup Error", calls[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_OK), calls[0].type) << "no icon is added";
  EXPECT_EQ(hidden.hwnd, calls[1].owner);
  EXPECT_EQ(kProgramName, calls[1].caption);
  EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_DEFBUTTON2), calls[1].type);
  EXPECT_EQ(nullptr, calls[2].owner);
  EXPECT_EQ(kProgramName, calls[2].caption);
  EXPECT_EQ(static_cast<UINT>(MB_OK), calls[2].type);
}
