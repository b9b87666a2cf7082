#include "platform/data_exchange.h"

#include <gtest/gtest.h>

#include "platform/test_dialogs.h"
#include "support/user.h"

namespace {
HWND WaitForTestDialog(User& u) { return u.WaitForPageWith(IDC_TEST_ACTION); }

// The edit field inside a drop-down combo box, where the user types.
HWND ComboEdit(HWND dlg) {
  return FindWindowExA(GetDlgItem(dlg, IDC_TEST_COMBO), nullptr, "Edit", nullptr);
}

bool FocusIsIn(HWND dlg, int controlId) {
  HWND control = GetDlgItem(dlg, controlId);
  HWND focus = User::Focus(dlg);
  return focus == control || IsChild(control, focus);
}
}  // namespace

TEST(DDX_Check, LoadsInRangeValuesResetsOthersToZeroAndSavesTheState) {
  struct Case {
    int member;
    int shown;
  };
  const Case kLoads[] = {{0, 0}, {1, 1}, {2, 2}, {-1, 0}, {3, 0}, {100, 0}};
  for (const Case& c : kLoads) {
    SCOPED_TRACE(c.member);
    CTestDlg dlg;
    dlg.m_n3State = c.member;
    UserScript user([&](User& u) {
      HWND page = WaitForTestDialog(u);
      EXPECT_EQ(c.shown, User::Checked(page, IDC_TEST_3STATE));
      u.Click(page, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ(c.shown, dlg.m_n3State);
  }

  // The user clears the check box and clicks the three-state box to its third state.
  CTestDlg dlg;
  dlg.m_nCheck = 1;
  UserScript user([&](User& u) {
    HWND page = WaitForTestDialog(u);
    EXPECT_EQ(BST_CHECKED, User::Checked(page, IDC_TEST_CHECK));
    u.Click(page, IDC_TEST_CHECK);
    u.Click(page, IDC_TEST_3STATE);
    u.Click(page, IDC_TEST_3STATE);
    u.Click(page, IDOK);
  });
  EXPECT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ(0, dlg.m_nCheck);
  EXPECT_EQ(2, dlg.m_n3State);
}

TEST(DDX_CBString, LoadsTheFirstItemBeginningWithTheTextElseTheTextAndSavesTheEditField) {
  struct Load {
    const char* member;
    const char* shown;
    int selected;
  };
  const Load kLoads[] = {
      {"COM3", "COM30", 0},  // the first that begins with it, not the exact match
      {"LPT", "LPT1", 2},
      {"COM9", "COM9", CB_ERR},
      {"", "", CB_ERR},
  };
  for (const Load& c : kLoads) {
    SCOPED_TRACE(c.member);
    CTestDlg dlg;
    dlg.m_comboItems = {"COM30", "COM3", "LPT1"};
    dlg.m_strCombo = c.member;
    UserScript user([&](User& u) {
      HWND page = WaitForTestDialog(u);
      EXPECT_EQ(c.shown, User::ItemText(page, IDC_TEST_COMBO));
      EXPECT_EQ(c.selected, SendTo(GetDlgItem(page, IDC_TEST_COMBO), CB_GETCURSEL));
      u.Click(page, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
  }

  struct Save {
    const char* name;
    void (*act)(User&, HWND);
    const char* member;
  };
  const Save kSaves[] = {
      {"picked", [](User& u, HWND page) { u.SelectComboItem(page, IDC_TEST_COMBO, 2); }, "LPT1"},
      {"typed, not in the list", [](User&, HWND page) { Type(ComboEdit(page), "COM77"); }, "COM77"},
      {"picked, then typed over",
       [](User& u, HWND page) {
         u.SelectComboItem(page, IDC_TEST_COMBO, 1);
         u.SetText(page, IDC_TEST_COMBO, "x");
       },
       "x"},
  };
  for (const Save& c : kSaves) {
    SCOPED_TRACE(c.name);
    CTestDlg dlg;
    dlg.m_comboItems = {"COM30", "COM3", "LPT1"};
    dlg.m_nComboMax = 10;
    UserScript user([&](User& u) {
      HWND page = WaitForTestDialog(u);
      c.act(u, page);
      u.Click(page, IDOK);
    });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(c.member, std::string(dlg.m_strCombo));
  }
}

TEST(DDV_MaxChars, WarnsAboveTheLimitPutsTheFocusBackAndKeepsTheDialogOpen) {
  struct Case {
    const char* name;
    int control;
    int limit;
    CString CTestDlg::*member;
  };
  const Case kCases[] = {
      {"edit", IDC_TEST_EDIT, 5, &CTestDlg::m_strEdit},
      {"combo", IDC_TEST_COMBO, 4, &CTestDlg::m_strCombo},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    MessageBoxSpy spy;
    ASSERT_TRUE(spy.installed());
    CTestDlg dlg;
    dlg.m_nEditMax = 5;
    dlg.m_nComboMax = 4;
    const std::string atLimit(static_cast<std::size_t>(c.limit), 'x');
    UserScript user([&](User& u) {
      HWND page = WaitForTestDialog(u);
      u.SetText(page, c.control, atLimit + "y");
      u.Click(page, IDOK);
      const SeenMessageBox box = u.WaitForMessageBox();
      EXPECT_EQ("Please enter no more than " + std::to_string(c.limit) + " characters.", box.text);
      EXPECT_EQ(kProgramName, box.caption);
      EXPECT_EQ(page, box.owner);
      EXPECT_TRUE(box.hasIcon);
      EXPECT_FALSE(IsWindowEnabled(page));
      u.Click(box.hwnd, IDOK);
      EXPECT_TRUE(u.WaitUntilGone(box.hwnd));
      EXPECT_TRUE(WaitUntil([&] { return FocusIsIn(page, c.control); }));
      EXPECT_TRUE(IsWindowVisible(page));

      u.SetText(page, c.control, atLimit);
      u.Click(page, IDOK);
    });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(atLimit, std::string(dlg.*c.member));
    EXPECT_EQ(2, dlg.m_nOKCount);
    ASSERT_EQ(1u, spy.calls().size());
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), spy.calls()[0].type);
  }
}

TEST(DDV_MaxChars, LimitsTypingInAnEditButNotInACombo) {
  CTestDlg dlg;
  dlg.m_nEditMax = 5;
  dlg.m_nComboMax = 4;
  UserScript user([&](User& u) {
    HWND page = WaitForTestDialog(u);
    HWND edit = GetDlgItem(page, IDC_TEST_EDIT);
    EXPECT_EQ(5, SendTo(edit, EM_GETLIMITTEXT));
    Type(edit, "1234567");
    EXPECT_EQ("12345", User::Text(edit));
    Type(ComboEdit(page), "1234567");
    EXPECT_EQ("1234567", User::ItemText(page, IDC_TEST_COMBO));
    u.Click(page, IDCANCEL);
  });
  EXPECT_EQ(IDCANCEL, dlg.DoModal());
}

TEST(UpdateData, StopsAtTheFirstFailedValidation) {
  struct Case {
    const char* edit;
    const char* combo;
    BOOL result;
    const char* savedCombo;
    int savedCheck;
    const char* boxText;
  };
  const Case kCases[] = {
      {"12345", "1234", TRUE, "1234", 1, nullptr},
      {"123456", "1234", FALSE, "", 0, "Please enter no more than 5 characters."},
      {"12345", "12345", FALSE, "12345", 0, "Please enter no more than 4 characters."},
      {"123456", "12345", FALSE, "", 0, "Please enter no more than 5 characters."},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.edit) + " / " + c.combo);
    MessageBoxSpy spy(IDOK);
    ASSERT_TRUE(spy.installed());
    BOOL result = -1;
    CTestDlg dlg;
    dlg.m_onAction = [&](CTestDlg& d) {
      result = d.UpdateData(TRUE);
      d.EndDialog(IDCANCEL);
    };
    UserScript user([&](User& u) {
      HWND page = WaitForTestDialog(u);
      u.SetText(page, IDC_TEST_EDIT, c.edit);
      u.SetText(page, IDC_TEST_COMBO, c.combo);
      SendTo(GetDlgItem(page, IDC_TEST_CHECK), BM_SETCHECK, BST_CHECKED);
      u.Click(page, IDC_TEST_ACTION);
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ(c.result, result);
    EXPECT_EQ(c.savedCombo, std::string(dlg.m_strCombo));
    EXPECT_EQ(c.savedCheck, dlg.m_nCheck);
    if (c.boxText == nullptr) {
      EXPECT_TRUE(spy.calls().empty());
    } else {
      ASSERT_EQ(1u, spy.calls().size());
      EXPECT_EQ(c.boxText, spy.calls()[0].text);
    }
  }
}
