#include "app/setup_app.h"

#include <gtest/gtest.h>

#include "app/exe_directory.h"
#include "platform/test_dialogs.h"
#include "support/media.h"
#include "support/user.h"

// The e2e robot reads the "Setup Error" box of setup.exe but cannot tell its icon; here the
// run is in this process, where the call itself is seen.
TEST(CSetupApp, AMissingInfIsReportedWithTheExclamationIconAndNoOwner) {
  CString dir;
  GetExeDirectory(dir);
  ASSERT_FALSE(FileExists(std::string(dir) + "ZL73.INF"));
  MessageBoxSpy spy(IDOK);
  ASSERT_TRUE(spy.installed());
  CSetupApp app;
  UserScript user([](User& u) { u.Click(u.WaitForWelcomePage(), IDOK); });
  EXPECT_FALSE(app.InitInstance());
  ASSERT_EQ(1u, spy.calls().size());
  EXPECT_EQ("Setup Error", spy.calls()[0].caption);
  EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), spy.calls()[0].type);
  EXPECT_EQ(nullptr, spy.calls()[0].owner);
}
