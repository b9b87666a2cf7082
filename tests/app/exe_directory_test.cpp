#include "app/exe_directory.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/file_find.h"
#include "platform/win_app.h"
#include "support/import_hook.h"
#include "support/media.h"

namespace {
std::pair<const wchar_t*, DWORD> g_wide;
DWORD WINAPI WidePath(HMODULE, LPWSTR path, DWORD) {
  return lstrcpyW(path, g_wide.first) != nullptr ? g_wide.second : 0;
}
}  // namespace

TEST(GetExeDirectory, IsTheProgramsFolderEndingInABackslash) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string expected(path);
  expected.erase(expected.rfind('\\') + 1);

  CString dir = "left over";
  GetExeDirectory(dir);
  EXPECT_EQ(expected, std::string(dir));
  EXPECT_EQ('\\', std::string(dir).back());
  // A wide path that fills its buffer, or one with no short form: the ANSI one serves as it is.
  ImportHook wide("KERNEL32.dll", "GetModuleFileNameW", &WidePath);
  ASSERT_TRUE(wide.installed());
  for (auto row :
       {std::make_pair(L"C:\\", DWORD{MAX_PATH}), std::make_pair(L"C:\\\x30c9\\", DWORD{4})}) {
    g_wide = row;
    GetExeDirectory(dir);
    EXPECT_EQ(expected, std::string(dir)) << row.second;
  }
}

// On a double-byte code page the ANSI form of a deep enough path is cut at MAX_PATH bytes while
// the wide form still fits: the folder's short name must serve, and the boxes' caption keeps the
// program's name. And the second byte of a letter may be that of '\': the path must be split by
// letters. CTest runs this under a Japanese locale; the program runs a copy of itself beside an
// INF, which checks what it gets.
TEST(GetExeDirectory, TakesTheShortNameWhereTheCodePageCutsThePath) {
  ASSERT_EQ(932u, GetACP()) << "needs LC_ALL=ja_JP.UTF-8, which CTest sets";
  if (GetEnvironmentVariableA("ZL73_COPY_CHECKS", nullptr, 0) != 0) {
    CString dir;
    GetExeDirectory(dir);
    CFileFind finder;
    EXPECT_TRUE(finder.FindFile(dir + "ZL73.INF")) << dir;
    wchar_t wide[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, wide, MAX_PATH);
    char name[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, wcsrchr(wide, L'\\') + 1, -1, name, MAX_PATH, nullptr, nullptr);
    EXPECT_EQ(std::string(name, strlen(name) - 4), std::string(AfxGetAppName()))
        << "the Warning box's caption";
    return;
  }

  // "Driver" in Japanese twice a level: 8 characters, 16 bytes in code page 932. In the name
  // "ZL73" and "soft", the first Japanese letter's second byte is 0x5C.
  const struct {
    int levels;
    const wchar_t* name;
  } kCases[] = {
      {16, L"app_tests.exe"},
      {0, L"ZL73\x30bd\x30d5\x30c8.exe"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.levels);
    // The folders are too deep for the ANSI calls that empty the temporary folder: they go
    // here, deepest first.
    TempDir root;
    struct Levels : std::vector<std::wstring> {
      const wchar_t* name;
      ~Levels() {
        for (auto level = rbegin(); level != rend(); ++level) {
          for (const wchar_t* file : {name, L"ZL73.INF"}) DeleteFileW((*level + file).c_str());
          RemoveDirectoryW(level->c_str());
        }
      }
    } levels;
    levels.name = c.name;
    std::wstring folder = Wide(root.path());
    for (int i = 0; i < c.levels; ++i) {
      folder += L"\x30c9\x30e9\x30a4\x30d0\x30c9\x30e9\x30a4\x30d0\\";
      ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr))
          << "Wine names files through the host's locale: is ja_JP.UTF-8 there (install-deps.sh)?";
      levels.push_back(folder);
    }
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring copy = folder + c.name;
    ASSERT_TRUE(c.levels == 0 || WideCharToMultiByte(CP_ACP, 0, copy.c_str(), -1, nullptr, 0,
                                                     nullptr, nullptr) > MAX_PATH)
        << "the ANSI path fits";
    ASSERT_TRUE(CopyFileW(self, copy.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(self, (folder + L"ZL73.INF").c_str(), FALSE));
    std::wstring command = L"\"" + copy + L"\" --gtest_filter=GetExeDirectory." +
                           Wide(testing::UnitTest::GetInstance()->current_test_info()->name());
    SetEnvironmentVariableA("ZL73_COPY_CHECKS", "1");
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child = {};
    const BOOL started = CreateProcessW(copy.c_str(), &command[0], nullptr, nullptr, FALSE, 0,
                                        nullptr, nullptr, &startup, &child);
    SetEnvironmentVariableA("ZL73_COPY_CHECKS", nullptr);
    ASSERT_TRUE(started);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.hProcess, 30000));
    DWORD code = 1;
    GetExitCodeProcess(child.hProcess, &code);
    EXPECT_EQ(0u, code) << "the copy's own failure is above";
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
  }
}
