#include "pages/licence_dlg.h"

#include <gtest/gtest.h>

#include <string>

#include "res/resource.h"
#include "support/beside_program.h"
#include "support/import_hook.h"
#include "support/user.h"

namespace {
// Whether nobody holds the file open: an open without sharing succeeds only then.
bool NobodyHolds(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(file);
}

bool ReadOnly(HWND edit) { return (GetWindowLongA(edit, GWL_STYLE) & ES_READONLY) != 0; }

const PageExit kLeaves[] = {
    {"Yes", [](User& u, HWND page) { u.Click(page, IDOK); }, IDOK},
    {"No", [](User& u, HWND page) { u.Click(page, IDCANCEL); }, IDCANCEL},
    {"Alt+N", [](User& u, HWND page) { u.PressKeyInFocus(page, 'N'); }, IDCANCEL},
    {"Esc", [](User& u, HWND page) { u.PressKeyInFocus(page, VK_ESCAPE); }, IDCANCEL},
    {"close box", [](User& u, HWND page) { u.CloseBox(page); }, IDCANCEL},
};

using ReadFileFn = BOOL(WINAPI*)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
// The real ReadFile, for stand-ins that pass through: a call by name would reach the hook.
ReadFileFn g_realReadFile = nullptr;

int g_reads = 0;
BOOL WINAPI CountingReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read,
                             LPOVERLAPPED overlapped) {
  ++g_reads;
  EXPECT_LT(size, HeapSize(GetProcessHeap(), 0, buffer)) << "no room for the text and its end";
  return g_realReadFile(file, buffer, size, read, overlapped);
}

BOOL WINAPI FailingReadFile(HANDLE, LPVOID, DWORD, LPDWORD read, LPOVERLAPPED) {
  *read = 0;
  SetLastError(ERROR_READ_FAULT);
  return FALSE;
}

// Reads all but the last byte, as a read cut short would.
BOOL WINAPI ShortReadFile(HANDLE file, LPVOID buffer, DWORD size, LPDWORD read,
                          LPOVERLAPPED overlapped) {
  return g_realReadFile(file, buffer, size - 1, read, overlapped);
}
}  // namespace

TEST(CLicenceDlg, OpensOnYesWithNoAsDefaultAndEndsWithTheCodeOfEachWayOut) {
  FileBesideProgram licence("licence.txt", "Terms.\r\n");
  for (const PageExit& leave : kLeaves) {
    SCOPED_TRACE(leave.name);
    CLicenceDlg dlg(nullptr);
    ASSERT_NE(nullptr, dlg.m_hIcon);
    UserScript user([&](User& u) {
      HWND page = u.WaitForPageWith(IDC_LICENCE_TEXT);
      EXPECT_EQ(GetDlgItem(page, IDOK), User::Focus(page));
      EXPECT_EQ(dlg.m_hIcon, User::Icon(page, ICON_BIG));
      EXPECT_EQ(dlg.m_hIcon, User::Icon(page, ICON_SMALL));
      leave.act(u, page);
    });
    EXPECT_EQ(leave.expected, dlg.DoModal());
  }
}

TEST(CLicenceDlg, ShowsTheFileByteForByteAndReadOnlyOnlyWhenLoaded) {
  // Text in lines, as a licence is: one 64000-character line takes the edit control ages.
  std::string k64001;
  while (k64001.size() < 64001) k64001 += "Terms of use of the driver, line after line.\r\n";
  k64001.resize(64001);
  const std::string k64000 = k64001.substr(0, 64000);
  enum Is { kFile, kNone, kFolder };  // what is beside the program under the licence's name
  const struct {
    const char* name;
    Is is;
    std::string bytes;
    bool heldElsewhere;
    std::string shown;
    int loadedBefore;  // m_bLicenceLoaded once constructed, and after the run
    int loadedAfter;
    int reads;  // ReadFile calls
  } kCases[] = {
      // clang-format off
      // name                is       bytes                                 held   shown                       before after reads
      {"empty",               kFile,   "",                                    false, "",                          1, 1, 1},
      {"64000 bytes",         kFile,   k64000,                                false, k64000,                      1, 1, 1},
      {"64001 bytes",         kFile,   k64001,                                false, "",                          0, 0, 0},
      {"zero byte inside",    kFile,   std::string("Part one\0part two", 17), false, "Part one",                  1, 1, 1},
      {"CR LF",               kFile,   "Line one\r\nLine two\r\n",            false, "Line one\r\nLine two\r\n",  1, 1, 1},
      {"bare LF",             kFile,   "Line one\nLine two\n",                false, "Line one\nLine two\n",      1, 1, 1},
      {"held open elsewhere", kFile,   "Terms.\r\n",                          true,  "",                          1, 0, 0},
      {"no file",             kNone,   "",                                    false, "",                          0, 0, 0},
      {"a folder",            kFolder, "",                                    false, "",                          0, 0, 0},
      // clang-format on
  };
  ImportHook hook("KERNEL32.dll", "ReadFile", &CountingReadFile);
  ASSERT_TRUE(hook.installed());
  g_realReadFile = hook.original<ReadFileFn>();
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    FileBesideProgram licence = c.is == kFile ? FileBesideProgram("licence.txt", c.bytes)
                                              : FileBesideProgram("licence.txt");
    ASSERT_TRUE(c.is != kFolder || CreateDirectoryA(licence.path().c_str(), nullptr));
    FileHandle holder;
    if (c.heldElsewhere) {
      holder.reset(CreateFileA(licence.path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
      ASSERT_TRUE(holder);
    }
    g_reads = 0;
    CLicenceDlg dlg(nullptr);
    EXPECT_EQ(c.loadedBefore, dlg.m_bLicenceLoaded);
    UserScript user([&](User& u) {
      HWND page = u.WaitForPageWith(IDC_LICENCE_TEXT);
      HWND edit = GetDlgItem(page, IDC_LICENCE_TEXT);
      EXPECT_EQ(c.shown, User::Text(edit));
      // Its lines are shown as lines, not run together into one.
      if (std::string(c.name) == "CR LF") {
        EXPECT_EQ(3, SendMessageA(edit, EM_GETLINECOUNT, 0, 0));
      }
      EXPECT_EQ(c.loadedAfter == 1, ReadOnly(edit));
      // A scroll bar, and Enter takes no default button: both would end the page's reading.
      EXPECT_EQ(WS_VSCROLL | ES_WANTRETURN,
                GetWindowLongA(edit, GWL_STYLE) & (WS_VSCROLL | ES_WANTRETURN));
      EXPECT_TRUE(GetWindowLongA(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << "the sunken border";
      u.Click(page, IDOK);
    });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(c.loadedAfter, dlg.m_bLicenceLoaded);
    EXPECT_EQ(c.reads, g_reads);
    holder.reset();
    EXPECT_TRUE(c.is != kFile || NobodyHolds(licence.path()));
  }
}

TEST(LoadTextFileIntoEdit, AFailedReadPlacesNothingAndClosesTheFile) {
  const struct {
    const char* name;
    decltype(&ReadFile) readFile;
  } kCases[] = {
      {"read fails", &FailingReadFile},
      {"read cut short", &ShortReadFile},
  };
  FileBesideProgram licence("licence.txt", "Licence terms.\r\n");
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_POPUP | ES_MULTILINE, 0, 0, 100, 100, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, edit);
    CWnd control(edit);
    {
      ImportHook hook("KERNEL32.dll", "ReadFile", c.readFile);
      ASSERT_TRUE(hook.installed());
      g_realReadFile = hook.original<ReadFileFn>();
      EXPECT_EQ(0, LoadTextFileIntoEdit(&control, licence.path().c_str()));
    }
    EXPECT_EQ("", User::Text(edit));
    EXPECT_FALSE(ReadOnly(edit));
    EXPECT_TRUE(NobodyHolds(licence.path()));
    DestroyWindow(edit);
  }
}
