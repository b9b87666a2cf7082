#include "pages/com_port_dlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "support/user.h"

namespace {
std::vector<std::string> ListEntries(HWND page) {
  HWND combo = GetDlgItem(page, IDC_START_COM);
  std::vector<std::string> entries;
  const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    char text[32] = {};
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    entries.emplace_back(text);
  }
  return entries;
}

std::vector<std::string> PortNumbers() {
  std::vector<std::string> numbers;
  for (int n = 3; n <= 255; ++n) numbers.push_back(std::to_string(n));
  return numbers;
}

// The combo box's editable field, which holds the focus when the combo box has it.
HWND ComboField(HWND page) {
  return FindWindowExA(GetDlgItem(page, IDC_START_COM), nullptr, "Edit", nullptr);
}

bool FocusReaches(HWND page, HWND target) {
  for (int i = 0; i < 200 && User::Focus(page) != target; ++i) Sleep(10);
  return User::Focus(page) == target;
}

HWND ChildWithTextStarting(HWND page, const std::string& start) {
  for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (User::Text(child).compare(0, start.size(), start) == 0) return child;
  }
  return nullptr;
}
}  // namespace

TEST(CComPortDlg, EachOpeningRefillsTheListAndClearsTheTextButKeepsWaitOnTx) {
  CComPortDlg dlg(nullptr);
  // Left over from an earlier run of the same object: each opening must clear both.
  dlg.m_strComPort = "77";
  dlg.m_bNextAvailable = 1;

  UserScript first([&](User& u) {
    HWND page = u.WaitForPageWith(IDC_START_COM);
    EXPECT_EQ(PortNumbers(), ListEntries(page));
    EXPECT_EQ("", User::ItemText(page, IDC_START_COM));
    EXPECT_EQ(GetDlgItem(page, IDOK), User::Focus(page));
    EXPECT_TRUE(User::Enabled(page, IDC_START_COM));
    EXPECT_EQ(BST_UNCHECKED, User::Checked(page, IDC_WAIT_ON_TX));
    EXPECT_EQ(BST_UNCHECKED, User::Checked(page, IDC_NEXT_AVAILABLE));
    // The list scrolls, the words "Start At   COM" end at the box, Wait on Tx's box follows them.
    const auto style = [](HWND control) { return GetWindowLongA(control, GWL_STYLE); };
    EXPECT_TRUE(style(FindWindowExA(nullptr, nullptr, "ComboLBox", nullptr)) & WS_VSCROLL);
    EXPECT_EQ(SS_RIGHT, style(ChildWithTextStarting(page, "Start At")) & SS_TYPEMASK);
    EXPECT_TRUE(style(GetDlgItem(page, IDC_WAIT_ON_TX)) & BS_LEFTTEXT);
    HWND explanation = ChildWithTextStarting(page, "Select the 'Start At COM' port number");
    ASSERT_NE(nullptr, explanation);
    for (HWND never : {GetDlgItem(page, IDC_NEXT_AVAILABLE), explanation}) {
      EXPECT_FALSE(IsWindowVisible(never));
      EXPECT_FALSE(IsWindowEnabled(never));
    }
    u.Click(page, IDC_WAIT_ON_TX);
    u.SelectComboItem(page, IDC_START_COM, 252);
    u.Click(page, IDOK);
  });
  ASSERT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ("255", std::string(dlg.m_strComPort));
  EXPECT_EQ(0, dlg.m_bNextAvailable);
  EXPECT_EQ(1, dlg.m_bWaitOnTx);

  UserScript second([&](User& u) {
    HWND page = u.WaitForPageWith(IDC_START_COM);
    EXPECT_EQ(PortNumbers(), ListEntries(page));
    EXPECT_EQ("", User::ItemText(page, IDC_START_COM));
    EXPECT_EQ(BST_CHECKED, User::Checked(page, IDC_WAIT_ON_TX));
    u.Click(page, IDOK);
  });
  ASSERT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ("", std::string(dlg.m_strComPort));
  EXPECT_EQ(1, dlg.m_bWaitOnTx);
}

TEST(CComPortDlg, HandsOverAnyTextOfUpToFourCharacters) {
  const struct {
    const char* text;
    bool enterInField;  // else a click on "&Next >"
  } kCases[] = {
      {"1", false}, {"2", false}, {"300", false}, {"1000", false}, {"42", true},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    CComPortDlg dlg(nullptr);
    UserScript user([&](User& u) {
      HWND page = u.WaitForPageWith(IDC_START_COM);
      u.SetText(page, IDC_START_COM, c.text);
      if (c.enterInField) {
        PostMessageA(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(page, IDC_START_COM)),
                     TRUE);
        ASSERT_TRUE(FocusReaches(page, ComboField(page)));
        u.PressKeyInFocus(page, VK_RETURN);
      } else {
        u.Click(page, IDOK);
      }
    });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(c.text, std::string(dlg.m_strComPort));
  }
}

TEST(CComPortDlg, FiveCharactersOrMoreBringTheWarningAndKeepThePageOpen) {
  // Fifteen fill the string's first block exactly.
  for (const char* text : {"12345", "123456789012345"}) {
    SCOPED_TRACE(text);
    CComPortDlg dlg(nullptr);
    UserScript user([&](User& u) {
      HWND page = u.WaitForPageWith(IDC_START_COM);
      u.Click(page, IDC_WAIT_ON_TX);
      u.SetText(page, IDC_START_COM, text);
      u.Click(page, IDOK);
      const SeenMessageBox box = u.WaitForMessageBox();
      EXPECT_EQ("pages_tests", box.caption);
      EXPECT_EQ("Please enter no more than 4 characters.", box.text);
      EXPECT_EQ(page, box.owner);
      EXPECT_TRUE(box.hasIcon);
      u.Click(box.hwnd, IDOK);
      EXPECT_TRUE(FocusReaches(page, ComboField(page)));
      EXPECT_TRUE(IsWindowVisible(page));
      // Cancel takes no data, so the over-long text brings no second box.
      u.Click(page, IDCANCEL);
      EXPECT_TRUE(u.WaitUntilGone(page, 3000));
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    // The exchange stopped at the refused text: Wait on Tx, which comes after it, was not read.
    EXPECT_EQ(text, std::string(dlg.m_strComPort));
    EXPECT_EQ(0, dlg.m_bWaitOnTx);
  }
}
