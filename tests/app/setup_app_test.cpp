#include "app/setup_app.h"

#include <gtest/gtest.h>

#include "platform/test_dialogs.h"
#include "res/resource.h"
#include "support/beside_program.h"
#include "support/media.h"
#include "support/user.h"

// The e2e robot reads setup.exe's boxes but cannot tell their icons; here the run is in this
// process, where the calls themselves are seen. Every box is answered OK at once.
TEST(CSetupApp, AMissingInfOrAFailedOperationIsReportedWithTheExclamationIconAndNoOwner) {
  ASSERT_FALSE(FileExists(ProgramFolder() + "ZL73.INF"));
  const struct {
    const char* name;
    const char* inf;  // beside the program, if any
    const char* caption;
  } kCases[] = {
      {"no INF", nullptr, "Setup Error"},
      {"an INF that is not one", "Not an INF.\r\n", " Windows NT4 Device Installation Error"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const FileBesideProgram inf =
        c.inf != nullptr ? FileBesideProgram("ZL73.INF", c.inf) : FileBesideProgram("ZL73.INF");
    MessageBoxSpy spy(IDOK);
    ASSERT_TRUE(spy.installed());
    CSetupApp app;
    UserScript user([&](User& u) {
      u.Click(u.WaitForWelcomePage(), IDOK);
      if (c.inf == nullptr) return;
      HWND page = u.WaitForPageWith(IDC_NEXT);
      u.Click(page, IDC_UNINSTALL);
      u.Click(page, IDC_NEXT);
    });
    EXPECT_FALSE(app.InitInstance());
    ASSERT_FALSE(spy.calls().empty());
    const MessageBoxSpy::Call& last = spy.calls().back();
    EXPECT_EQ(c.caption, last.caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), last.type);
    EXPECT_EQ(nullptr, last.owner);
  }
}
