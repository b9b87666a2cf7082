#include "app/exe_directory.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "support/media.h"

TEST(GetExeDirectory, IsTheProgramsFolderEndingInABackslash) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string expected(path);
  expected.erase(expected.rfind('\\') + 1);

  CString dir = "left over";
  GetExeDirectory(dir);
  EXPECT_EQ(expected, std::string(dir));
  EXPECT_EQ('\\', std::string(dir).back());
}

// On a double-byte code page the ANSI form of a deep enough path is cut at MAX_PATH bytes while
// the wide form still fits: the folder's short name must serve. CTest runs this under a Japanese
// locale; the program runs a copy of itself from such a folder, which checks what it gets.
TEST(GetExeDirectory, TakesTheShortNameWhereTheCodePageCutsThePath) {
  ASSERT_EQ(932u, GetACP()) << "needs LC_ALL=ja_JP.UTF-8, which CTest sets";
  if (GetEnvironmentVariableA("ZL73_DEEP_COPY", nullptr, 0) != 0) {
    wchar_t wide[MAX_PATH] = {};
    wchar_t shortWide[MAX_PATH] = {};
    ASSERT_LT(GetModuleFileNameW(nullptr, wide, MAX_PATH), DWORD{MAX_PATH});
    ASSERT_GT(WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr), MAX_PATH)
        << "the ANSI path fits";
    ASSERT_NE(0u, GetShortPathNameW(wide, shortWide, MAX_PATH));
    *wcsrchr(shortWide, L'\\') = L'\0';
    char expected[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, shortWide, -1, expected, MAX_PATH, nullptr, nullptr);
    CString dir;
    GetExeDirectory(dir);
    EXPECT_EQ(std::string(expected) + "\\", std::string(dir));
    return;
  }

  // "Driver" in Japanese twice a level: 8 characters, 16 bytes in code page 932. The folders
  // are too deep for the ANSI calls that empty the temporary folder: they go here, deepest first.
  TempDir root;
  struct Levels : std::vector<std::wstring> {
    ~Levels() {
      for (auto level = rbegin(); level != rend(); ++level) {
        DeleteFileW((*level + L"app_tests.exe").c_str());
        RemoveDirectoryW(level->c_str());
      }
    }
  } levels;
  std::wstring folder = Wide(root.path());
  for (int i = 0; i < 16; ++i) {
    folder += L"\x30c9\x30e9\x30a4\x30d0\x30c9\x30e9\x30a4\x30d0\\";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr))
        << "Wine names files through the host's locale: is ja_JP.UTF-8 there (install-deps.sh)?";
    levels.push_back(folder);
  }
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::wstring copy = folder + L"app_tests.exe";
  ASSERT_TRUE(CopyFileW(self, copy.c_str(), FALSE));
  std::wstring command = L"\"" + copy + L"\" --gtest_filter=GetExeDirectory." +
                         Wide(testing::UnitTest::GetInstance()->current_test_info()->name());
  SetEnvironmentVariableA("ZL73_DEEP_COPY", "1");
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION child = {};
  const BOOL started = CreateProcessW(copy.c_str(), &command[0], nullptr, nullptr, FALSE, 0,
                                      nullptr, nullptr, &startup, &child);
  SetEnvironmentVariableA("ZL73_DEEP_COPY", nullptr);
  ASSERT_TRUE(started);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.hProcess, 30000));
  DWORD code = 1;
  GetExitCodeProcess(child.hProcess, &code);
  EXPECT_EQ(0u, code) << "the copy's own failure is above";
  CloseHandle(child.hThread);
  CloseHandle(child.hProcess);
}
