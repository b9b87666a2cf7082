#include "app/exe_directory.h"

#include <gtest/gtest.h>
#include <windows.h>

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
