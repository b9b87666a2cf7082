#include "platform/file_find.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/import_hook.h"
#include "support/media.h"

namespace {
// The search handles the program opened and closed, in order.
std::vector<HANDLE> g_opened;
std::vector<HANDLE> g_closed;
const ImportHook* g_findFirstHook = nullptr;
const ImportHook* g_findCloseHook = nullptr;

HANDLE WINAPI RecordFindFirst(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
  HANDLE h = g_findFirstHook->original<decltype(&FindFirstFileA)>()(pattern, data);
  if (h != INVALID_HANDLE_VALUE) g_opened.push_back(h);
  return h;
}

BOOL WINAPI RecordFindClose(HANDLE h) {
  g_closed.push_back(h);
  return g_findCloseHook->original<decltype(&FindClose)>()(h);
}
}  // namespace

TEST(CFileFind, FindsByPatternAndKeepsTheNameAsOnDisk) {
  TempDir dir;
  dir.Write("zl73.inf", "12345");
  struct Case {
    std::string pattern;
    bool found;
  };
  const Case kCases[] = {
      {dir.path() + "ZL73.INF", true}, {dir.path() + "zl73.*", true},
      {dir.path() + "*.INF", true},    {dir.path() + "ZL74.INF", false},
      {dir.path() + "*.sys", false},   {dir.path() + "missing\\ZL73.INF", false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.pattern);
    CFileFind finder;
    ASSERT_EQ(c.found ? TRUE : FALSE, finder.FindFile(c.pattern.c_str()));
    if (!c.found) continue;
    EXPECT_FALSE(finder.FindNextFile()) << "the only match is current now";
    EXPECT_EQ("zl73.inf", std::string(finder.GetFileName()));
    EXPECT_EQ(dir.path() + "zl73.inf", std::string(finder.GetFilePath()));
    EXPECT_EQ(5u, finder.GetLength());
    EXPECT_FALSE(finder.IsDirectory());
  }
}

TEST(CFileFind, VisitsEachMatchOnceAndClosesTheSearchOnce) {
  TempDir dir;
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.bin"}) dir.Write(name, "");
  g_opened.clear();
  g_closed.clear();
  ImportHook findFirst("KERNEL32.dll", "FindFirstFileA", &RecordFindFirst);
  ImportHook findClose("KERNEL32.dll", "FindClose", &RecordFindClose);
  ASSERT_TRUE(findFirst.installed() && findClose.installed());
  g_findFirstHook = &findFirst;
  g_findCloseHook = &findClose;
  const std::string pattern = dir.path() + "*.txt";

  {
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile(pattern.c_str()));
    std::vector<std::string> names;
    BOOL more = TRUE;
    while (more) {
      more = finder.FindNextFile();
      names.emplace_back(finder.GetFileName());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt", "c.txt"}), names);
    EXPECT_TRUE(g_closed.empty()) << "the search stays open while the object lives";
  }
  ASSERT_EQ(1u, g_opened.size());
  EXPECT_EQ(g_opened, g_closed) << "the destructor closes the search";

  // A new search closes the previous one; Close closes once, however often it is called.
  {
    CFileFind finder;
    ASSERT_TRUE(finder.FindFile(pattern.c_str()));
    ASSERT_TRUE(finder.FindFile((dir.path() + "*.bin").c_str()));
    ASSERT_EQ(3u, g_opened.size());
    EXPECT_EQ(g_opened[1], g_closed.back());
    finder.Close();
    finder.Close();
    // A search that finds nothing leaves nothing of the one before it to visit.
    ASSERT_TRUE(finder.FindFile((dir.path() + "*.bin").c_str()));
    EXPECT_FALSE(finder.FindFile((dir.path() + "*.none").c_str()));
    EXPECT_FALSE(finder.FindNextFile());
    EXPECT_EQ("", std::string(finder.GetFileName()));
  }
  EXPECT_EQ(g_opened, g_closed);
  g_findFirstHook = nullptr;
  g_findCloseHook = nullptr;
}
