#include "platform/str.h"

#include <gtest/gtest.h>

#include <string.h>

#include <iterator>
#include <string>
#include <vector>

#include "support/import_hook.h"
#include "support/user.h"

namespace {
const ImportHook* g_heapAlloc = nullptr;
const ImportHook* g_heapFree = nullptr;
int g_allocations = 0;
std::vector<LPVOID> g_freed;

// Spoils a new block, so that a copy into it without its terminating zero shows.
LPVOID WINAPI CountHeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
  ++g_allocations;
  LPVOID block = g_heapAlloc->original<decltype(&HeapAlloc)>()(heap, flags, bytes);
  return block != nullptr ? memset(block, '#', bytes) : nullptr;
}

// Spoils a block before freeing it, so that reading it afterwards shows.
BOOL WINAPI SpoilHeapFree(HANDLE heap, DWORD flags, LPVOID block) {
  g_freed.push_back(block);
  if (block != nullptr) memset(block, '#', HeapSize(heap, 0, block));
  return g_heapFree->original<decltype(&HeapFree)>()(heap, flags, block);
}

LPVOID WINAPI NoMemory(HANDLE, DWORD, SIZE_T) { return nullptr; }
}  // namespace

TEST(CString, GrowsByAFactorAndTakesPiecesOfItself) {
  ImportHook alloc("KERNEL32.dll", "HeapAlloc", &CountHeapAlloc);
  ImportHook free("KERNEL32.dll", "HeapFree", &SpoilHeapFree);
  ASSERT_TRUE(alloc.installed() && free.installed());
  g_heapAlloc = &alloc;
  g_heapFree = &free;
  CString s;
  std::string expected;
  g_allocations = 0;
  for (int i = 0; i < 4000; ++i) {
    const char piece[] = {static_cast<char>('a' + i % 26), '\0'};
    s += piece;
    expected += piece;
  }
  EXPECT_GE(20, g_allocations) << "the room must grow by a factor, not by the piece";
  EXPECT_EQ(expected, std::string(s));
  EXPECT_EQ(4000, s.GetLength());

  // A piece of the text itself, appended in the room left and then into a new block.
  CString t = "abcdef";
  t += "x";
  t += static_cast<const char*>(t) + 4;
  EXPECT_EQ("abcdefxefx", std::string(t));
  t += t;
  EXPECT_EQ("abcdefxefxabcdefxefx", std::string(t));
  s += s;
  EXPECT_EQ(expected + expected, std::string(s));
  EXPECT_STREQ("abcdefxefxabcdefxefx", t.GetBuffer(100)) << "room asked for keeps the text";

  // A string lets go of the block it outgrew, and of its own when it takes another's text; one
  // moved from is left nothing to free: not the block it gave away, nor an empty string's text.
  LPVOID held = const_cast<char*>(static_cast<const char*>(t)), outgrown = nullptr;
  g_freed.clear();
  {
    CString from = "o";
    outgrown = const_cast<char*>(static_cast<const char*>(from));
    from += "ther";
    CString to(static_cast<CString&&>(from));
    t = static_cast<CString&&>(to);
    EXPECT_EQ(0, from.GetLength() + to.GetLength());
  }
  EXPECT_EQ((std::vector<LPVOID>{outgrown, held}), g_freed);
  t += " and beyond it";
  EXPECT_EQ(3u, g_freed.size()) << "the room taken came with the text";
  EXPECT_EQ("other and beyond it", std::string(t));
}

TEST(CString, LeftMidAndFindAtTheEnds) {
  const CString s = "a.b.c";
  const struct {
    int n;
    const char* left;
    const char* mid;
  } kCases[] = {
      {-1, "", "a.b.c"}, {0, "", "a.b.c"}, {1, "a", ".b.c"},
      {4, "a.b.", "c"},  {5, "a.b.c", ""}, {6, "a.b.c", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.n);
    EXPECT_EQ(c.left, std::string(s.Left(c.n)));
    EXPECT_EQ(c.mid, std::string(s.Mid(c.n)));
  }
  EXPECT_EQ(0, s.ReverseFind('a'));
  EXPECT_EQ(4, s.Find('c'));
  EXPECT_EQ(3, s.ReverseFind('.'));
  EXPECT_EQ(2, s.Find("b.c"));
  EXPECT_EQ(-1, s.Find("c."));  // begins at the end but runs past it
  EXPECT_EQ(-1, s.Find('x'));
  EXPECT_EQ(-1, s.ReverseFind('x'));
  EXPECT_EQ(-1, CString().Find("%1"));
}

// A negative length is a coding mistake: it ends the program with a box that says so, rather
// than wrap to a huge copy or a tiny block; so does memory that cannot be had. Each misuse runs
// in a child, this program again.
TEST(CString, AMisuseOrNoMemoryEndsTheProgramWithAClearMessage) {
  const struct {
    const char* name;
    void (*misuse)();
    const char* box;
  } kMisuses[] = {
      {"CString(p, -1)", [] { CString("text", -1); }, "Bad string length."},
      {"GetBuffer(-1)", [] { CString().GetBuffer(-1); }, "Bad string length."},
      {"ReleaseBuffer beyond the room", [] { CString("ab").ReleaseBuffer(3); },
       "Bad string length."},
      {"no memory",
       [] {
         ImportHook alloc("KERNEL32.dll", "HeapAlloc", &NoMemory);
         CString("text");
       },
       "Out of memory."},
  };
  char misuse[8] = {};
  if (GetEnvironmentVariableA("ZL73_MISUSE", misuse, sizeof(misuse)) != 0) {
    kMisuses[misuse[0] - '0'].misuse();
    return;
  }
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = std::string("\"") + self + "\" --gtest_filter=" +
                        testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() +
                        "." + testing::UnitTest::GetInstance()->current_test_info()->name();
  for (size_t i = 0; i < std::size(kMisuses); ++i) {
    SCOPED_TRACE(kMisuses[i].name);
    const char which[] = {static_cast<char>('0' + i), '\0'};
    SetEnvironmentVariableA("ZL73_MISUSE", which);
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child = {};
    ASSERT_TRUE(CreateProcessA(self, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &child));
    SetEnvironmentVariableA("ZL73_MISUSE", nullptr);
    User u = User::OfProcess(child.dwProcessId);
    const SeenMessageBox box = u.WaitForMessageBox();
    EXPECT_EQ(kMisuses[i].box, box.text);
    u.Click(box.hwnd, IDOK);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(child.hProcess, 5000));
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    EXPECT_NE(0u, code);
    if (WaitForSingleObject(child.hProcess, 0) != WAIT_OBJECT_0)
      TerminateProcess(child.hProcess, 1);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
  }
}
