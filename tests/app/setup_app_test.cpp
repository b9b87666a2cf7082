#include "app/setup_app.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/test_dialogs.h"
#include "res/resource.h"
#include "support/beside_program.h"
#include "support/import_hook.h"
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

static FARPROC WINAPI NoProc(HMODULE, LPCSTR) { return nullptr; }

// A SETUPAPI that lacks a function, which Wine cannot be given: the box names the first missing.
TEST(CSetupApp, SaysWhichFunctionTheSystemsSetupApiLacks) {
  MessageBoxSpy spy(IDOK);
  {
    ImportHook lookUp("KERNEL32.dll", "GetProcAddress", &NoProc);
    ASSERT_TRUE(lookUp.installed() && spy.installed());
    EXPECT_FALSE(CSetupApp().InitInstance());
  }
  ASSERT_EQ(1u, spy.calls().size());
  EXPECT_EQ(0u, spy.calls()[0].text.rfind("Setup cannot run without SetupOpenInfFileA in\n", 0))
      << spy.calls()[0].text;
}

// The file's properties, read as the shell reads them for its version sheet.
TEST(CSetupApp, ItsFilesPropertiesNameTheProductItsVersionAndItsMaker) {
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string block(GetFileVersionInfoSizeA(self, nullptr), '\0');
  ASSERT_TRUE(GetFileVersionInfoA(self, 0, static_cast<DWORD>(block.size()), &block[0]));
  const std::string kProduct = "Zephyrline 730 & Zephyrline 730 Omni  PCi installer (NT4)";
  for (const auto& [name, expected] : std::vector<std::pair<std::string, std::string>>{
           // clang-format off
           {"\\VarFileInfo\\Translation", "\x09\x08\xb0\x04"}, {"CompanyName", "Zephyrline Ltd"},
           {"FileDescription", kProduct}, {"FileVersion", "3.00"}, {"InternalName", "setup.exe"},
           {"LegalCopyright", "Copyright (C) 1999 Zephyrline Ltd"}, {"OriginalFilename", "setup.exe"},
           {"ProductName", kProduct}, {"ProductVersion", "3.00"}}) {
    // clang-format on
    const std::string path = name[0] == '\\' ? name : "\\StringFileInfo\\080904b0\\" + name;
    char* text = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(&block[0], path.c_str(), reinterpret_cast<void**>(&text), &size));
    EXPECT_EQ(expected, std::string(text).substr(0, size)) << path;
  }
}
