#include "app/welcome_dlg.h"

#include <gtest/gtest.h>

#include "res/resource.h"
#include "support/user.h"

namespace {
const PageExit kLeaves[] = {
    {"Next", [](User& u, HWND page) { u.Click(page, IDOK); }, IDOK},
    {"Enter", [](User& u, HWND page) { u.PressKeyInFocus(page, VK_RETURN); }, IDOK},
    {"Alt+N", [](User& u, HWND page) { u.PressKeyInFocus(page, 'N'); }, IDOK},
    {"Cancel", [](User& u, HWND page) { u.Click(page, IDCANCEL); }, IDCANCEL},
    {"Esc", [](User& u, HWND page) { u.PressKeyInFocus(page, VK_ESCAPE); }, IDCANCEL},
    {"close box", [](User& u, HWND page) { u.CloseBox(page); }, IDCANCEL},
};
}  // namespace

TEST(CWelcomeDlg, EndsWithTheCodeOfEachWayOut) {
  for (const PageExit& leave : kLeaves) {
    SCOPED_TRACE(leave.name);
    CWelcomeDlg dlg(nullptr);
    UserScript user([&](User& u) { leave.act(u, u.WaitForWelcomePage()); });
    EXPECT_EQ(leave.expected, dlg.DoModal());
  }
}

TEST(CWelcomeDlg, OpensWithoutOwnerFocusOnNextAndTheProgramIcon) {
  CWelcomeDlg dlg(nullptr);
  ASSERT_NE(nullptr, dlg.m_hIcon);
  UserScript user([&](User& u) {
    HWND page = u.WaitForWelcomePage();
    EXPECT_EQ(nullptr, User::Owner(page));
    EXPECT_EQ(GetDlgItem(page, IDOK), User::Focus(page));
    EXPECT_EQ(dlg.m_hIcon, User::Icon(page, ICON_BIG));
    EXPECT_EQ(dlg.m_hIcon, User::Icon(page, ICON_SMALL));
    u.Click(page, IDCANCEL);
  });
  EXPECT_EQ(IDCANCEL, dlg.DoModal());
}
