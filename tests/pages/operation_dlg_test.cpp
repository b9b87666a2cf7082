#include "pages/operation_dlg.h"

#include <setupapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/setup_api.h"
#include "res/resource.h"
#include "support/beside_program.h"
#include "support/import_hook.h"
#include "support/media.h"
#include "support/user.h"

namespace {
// Install makes Parameters under the service key; Uninstall deletes the value Leftover from
// that key. No files and no services, so an operation is quick and leaves nothing behind.
const char kHarmlessInf[] =
    "[Version]\r\n"
    "Signature = \"$Windows NT$\"\r\n"
    "\r\n"
    "[Install]\r\n"
    "AddReg = Test.AddReg\r\n"
    "\r\n"
    "[Uninstall]\r\n"
    "DelReg = Test.DelReg\r\n"
    "\r\n"
    "[Test.AddReg]\r\n"
    "HKR,Parameters,,0x00000010\r\n"
    "\r\n"
    "[Test.DelReg]\r\n"
    "HKR,,Leftover\r\n";

// A media folder with an INF named after the service, and the service's key removed before
// and after the test.
class ServiceMedia {
 public:
  explicit ServiceMedia(const std::string& service, const char* infText = kHarmlessInf)
      : service_(service) {
    DeleteKeyTree(HKEY_LOCAL_MACHINE, key());
    inf_ = dir_.Write(service + ".INF", infText);
  }
  ~ServiceMedia() { DeleteKeyTree(HKEY_LOCAL_MACHINE, key()); }
  ServiceMedia(const ServiceMedia&) = delete;
  ServiceMedia& operator=(const ServiceMedia&) = delete;

  // As the program's start does: the setup API's table filled, then the page given its INF.
  void GiveTo(COperationDlg& dlg) const {
    ASSERT_TRUE(LoadSetupApi());
    dlg.SetInfLocation(service_.c_str(), dir_.path().c_str(), inf_.c_str());
  }
  const std::string& inf() const { return inf_; }
  std::string key() const { return kServicesKey + service_; }
  std::string parameters() const { return key() + "\\Parameters"; }

 private:
  std::string service_;
  TempDir dir_;
  std::string inf_;
};

HWND WaitForOperationPage(User& u) { return u.WaitForPageWith(IDC_NEXT); }

HWND WaitForFinished(User& u) {
  return u.WaitForDialog(
      [](HWND hwnd) {
        return GetDlgItem(hwnd, IDC_NEXT) && User::ItemText(hwnd, IDC_NEXT) == "Finish";
      },
      "the Finished state", 5000);
}

// The first page that Next brings over the operation page.
HWND WaitForSubPage(User& u) {
  return u.WaitForDialog(
      [](HWND hwnd) { return !User::IsMessageBox(hwnd) && !GetDlgItem(hwnd, IDC_NEXT); },
      "a page over the operation page", 5000);
}

HWND WaitForComPortPage(User& u) {
  HWND sub = WaitForSubPage(u);
  if (!GetDlgItem(sub, IDC_START_COM)) {
    ADD_FAILURE() << "expected the COM port page, saw " << User::Text(sub);
    u.Rescue();
    throw ScriptAborted();
  }
  return sub;
}

// The program folder's files that the page searches for or opens on this thread, split by
// whether its operation had succeeded by then. On NT4 a look at a drive without its disk
// brings the system's "no disk" box, and by Finish the disk may well be out.
class FolderLooks {
 public:
  explicit FolderLooks(const COperationDlg& dlg) : dlg_(dlg) { current_ = this; }
  ~FolderLooks() { current_ = nullptr; }
  FolderLooks(const FolderLooks&) = delete;
  FolderLooks& operator=(const FolderLooks&) = delete;

  std::vector<std::string> before, after;

 private:
  static void Saw(const char* path) {
    FolderLooks* self = current_;
    if (self == nullptr || GetCurrentThreadId() != self->thread_) return;
    if (std::string(path).rfind(self->folder_, 0) != 0) return;
    (self->dlg_.m_bDone != 0 ? self->after : self->before).push_back(path);
  }
  static HANDLE WINAPI FindFirst(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
    Saw(pattern);
    return current_->findFirst_.original<decltype(&FindFirst)>()(pattern, data);
  }
  static HANDLE WINAPI Open(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                            DWORD disposition, DWORD flags, HANDLE templateFile) {
    Saw(name);
    return current_->open_.original<decltype(&Open)>()(name, access, share, sa, disposition, flags,
                                                       templateFile);
  }

  static inline FolderLooks* current_ = nullptr;
  const COperationDlg& dlg_;
  const DWORD thread_ = GetCurrentThreadId();
  const std::string folder_ = ProgramFolder();
  ImportHook findFirst_{"KERNEL32.dll", "FindFirstFileA", &FindFirst};
  ImportHook open_{"KERNEL32.dll", "CreateFileA", &Open};
};

void ExpectOwnsAndIsDisabled(HWND owner, HWND sub) {
  EXPECT_EQ(owner, User::Owner(sub));
  EXPECT_FALSE(IsWindowEnabled(owner));
}

struct Leave {
  const char* name;
  void (*act)(User&, HWND);
};
const Leave kClick = {"click", [](User& u, HWND page) { u.Click(page, IDC_NEXT); }};
const Leave kEnter = {"Enter", [](User& u, HWND page) { u.PressKeyInFocus(page, VK_RETURN); }};
const Leave kCancel = {"Cancel", [](User& u, HWND page) { u.Click(page, IDCANCEL); }};
const Leave kEsc = {"Esc", [](User& u, HWND page) { u.PressKeyInFocus(page, VK_ESCAPE); }};
const Leave kAltC = {"Alt+C", [](User& u, HWND page) { u.PressKeyInFocus(page, 'C'); }};
const Leave kCloseBox = {"close box", [](User& u, HWND page) { u.CloseBox(page); }};
}  // namespace

TEST(COperationDlg, OpensChoosingWithTheFileLineAndTheChoiceChecked) {
  const struct {
    const char* service;
    int install;
    const char* fileLine;
    int checked;
    int unchecked;
  } kCases[] = {
      {"ZL73", 1, "Installation File: ZL73.INF", IDC_INSTALL, IDC_UNINSTALL},
      {"zl73", 1, "Installation File: zl73.INF", IDC_INSTALL, IDC_UNINSTALL},
      {"ZL73", 0, "Installation File: ZL73.INF", IDC_UNINSTALL, IDC_INSTALL},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.service) + (c.install ? " install" : " uninstall"));
    COperationDlg dlg(nullptr);
    ASSERT_NE(nullptr, dlg.m_hIcon);
    dlg.SetInfLocation(c.service, "C:\\media\\",
                       (std::string("C:\\media\\") + c.service + ".inf").c_str());
    dlg.m_bInstall = c.install;
    // The page starts each run with no result, whatever the object held.
    dlg.m_bDone = 1;
    dlg.m_bFilesCommitted = 1;
    UserScript user([&](User& u) {
      HWND page = WaitForOperationPage(u);
      EXPECT_EQ(c.fileLine, User::ItemText(page, IDC_INF_FILE));
      EXPECT_EQ(BST_CHECKED, User::Checked(page, c.checked));
      EXPECT_EQ(BST_UNCHECKED, User::Checked(page, c.unchecked));
      EXPECT_EQ(GetDlgItem(page, IDC_NEXT), User::Focus(page));
      EXPECT_TRUE(User::Enabled(page, IDCANCEL));
      EXPECT_EQ(nullptr, User::Owner(page));
      EXPECT_EQ(dlg.m_hIcon, User::Icon(page, ICON_BIG));
      u.Click(page, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ(0, dlg.m_bDone);
    EXPECT_EQ(0, dlg.m_bFilesCommitted);
  }
}

TEST(COperationDlg, CancelActionsEndTheRunAndRadioClicksSetTheChoice) {
  const struct {
    std::vector<int> clicks;  // or access keys
    Leave leave;
    int install;
  } kCases[] = {
      {{IDC_UNINSTALL}, kCancel, 0},
      {{IDC_UNINSTALL, IDC_INSTALL}, kEsc, 1},
      {{'U'}, kAltC, 0},
      {{IDC_UNINSTALL, 'I'}, kAltC, 1},
      {{}, kCloseBox, 1},
  };
  ServiceMedia media("ZlPagesCancel");
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.leave.name);
    COperationDlg dlg(nullptr);
    media.GiveTo(dlg);
    UserScript user([&](User& u) {
      HWND page = WaitForOperationPage(u);
      for (int id : c.clicks) id <= 'Z' ? u.PressKeyInFocus(page, id) : u.Click(page, id);
      c.leave.act(u, page);
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_EQ(c.install, dlg.m_bInstall);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, media.key()));
  }
}

TEST(COperationDlg, UninstallRunsAtOnceWithoutSubPagesAndFinishes) {
  FileBesideProgram licence("licence.txt", "Terms.\r\n");
  for (const Leave& leave : {kClick, kEnter}) {
    SCOPED_TRACE(leave.name);
    ServiceMedia media("ZlPagesUninstall");
    WriteDword(HKEY_LOCAL_MACHINE, media.key(), "Leftover", 1);
    WriteDword(HKEY_LOCAL_MACHINE, media.parameters(), "PortCount", 8);
    COperationDlg dlg(nullptr);
    media.GiveTo(dlg);
    // Whatever these hold, an uninstallation writes no port parameters.
    dlg.m_nComNumber = 9;
    dlg.m_nWaitOnTx = 1;
    FolderLooks looks(dlg);
    UserScript user([&](User& u) {
      HWND page = WaitForOperationPage(u);
      u.Click(page, IDC_UNINSTALL);
      u.Click(page, IDC_NEXT);
      WaitForFinished(u);
      EXPECT_EQ(1u, u.Dialogs().size());
      EXPECT_TRUE(User::Enabled(page, IDC_NEXT));
      EXPECT_EQ(GetDlgItem(page, IDC_NEXT), User::Focus(page));
      EXPECT_FALSE(User::Enabled(page, IDC_INSTALL));
      EXPECT_FALSE(User::Enabled(page, IDC_UNINSTALL));
      EXPECT_FALSE(User::Enabled(page, IDCANCEL));
      EXPECT_EQ("    The operation was completed successfully.", User::ItemText(page, IDC_STATUS));
      leave.act(u, page);
    });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(1, dlg.m_bDone);
    EXPECT_EQ(1, dlg.m_bFilesCommitted);
    // The licence is beside the program, yet neither Next nor Finish looks for it.
    EXPECT_EQ(std::vector<std::string>{}, looks.before);
    EXPECT_EQ(std::vector<std::string>{}, looks.after);
    EXPECT_EQ(-1, Dword(media.key(), "Leftover"));
    EXPECT_EQ(8, Dword(media.parameters(), "PortCount"));
    EXPECT_EQ(-1, Dword(media.parameters(), "ComNumberOffset"));
    EXPECT_EQ(-1, Dword(media.parameters(), "TxFIFO"));
  }
}

TEST(COperationDlg, AFailedOperationShowsTheEngineBoxAndEndsWithOk) {
  ServiceMedia media("ZlPagesBad", "This is not an INF file.\r\n");
  COperationDlg dlg(nullptr);
  media.GiveTo(dlg);
  UserScript user([&](User& u) {
    HWND page = WaitForOperationPage(u);
    u.Click(page, IDC_UNINSTALL);
    u.Click(page, IDC_NEXT);
    const SeenMessageBox box = u.WaitForMessageBox();
    EXPECT_EQ("Windows NT4 Device Installation", box.caption);
    EXPECT_EQ("'" + media.inf() + "' is not a valid INF file!", box.text);
    EXPECT_EQ(page, box.owner);
    u.Click(box.hwnd, IDOK);
    EXPECT_TRUE(u.WaitUntilGone(page, 3000));
  });
  EXPECT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ(0, dlg.m_bDone);
  EXPECT_EQ(0, dlg.m_bFilesCommitted);
}

TEST(COperationDlg, InstallAsksLicenceThenComPortUntilGivenAndWritesTheAnswers) {
  FileBesideProgram licence("licence.txt", "Terms.\r\n");
  ServiceMedia media("ZlPagesRoad");
  COperationDlg dlg(nullptr);
  media.GiveTo(dlg);
  FolderLooks looks(dlg);
  UserScript user([&](User& u) {
    HWND page = WaitForOperationPage(u);
    u.PressKeyInFocus(page, 'N');

    HWND licencePage = WaitForSubPage(u);
    ASSERT_NE(nullptr, GetDlgItem(licencePage, IDC_LICENCE_TEXT));
    ExpectOwnsAndIsDisabled(page, licencePage);
    u.PressKeyInFocus(licencePage, 'Y');
    u.WaitUntilGone(licencePage);

    HWND comPage = WaitForComPortPage(u);
    ExpectOwnsAndIsDisabled(page, comPage);
    u.Click(comPage, IDC_WAIT_ON_TX);
    u.Click(comPage, IDOK);
    const SeenMessageBox box = u.WaitForMessageBox();
    EXPECT_EQ("pages_tests", box.caption);
    EXPECT_EQ("You must select a starting COM port number", box.text);
    EXPECT_EQ(page, box.owner);
    EXPECT_TRUE(box.hasIcon);
    u.Click(box.hwnd, IDOK);

    comPage = WaitForComPortPage(u);
    EXPECT_EQ(BST_CHECKED, User::Checked(comPage, IDC_WAIT_ON_TX));
    u.SetText(comPage, IDC_START_COM, "5");
    u.PressKeyInFocus(comPage, 'N');
    WaitForFinished(u);
    u.Click(page, IDC_NEXT);
  });
  EXPECT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ(1, dlg.m_bDone);
  EXPECT_NE(std::vector<std::string>{}, looks.before);
  EXPECT_EQ(std::vector<std::string>{}, looks.after) << "Finish looked at the media";
  EXPECT_EQ(5, dlg.m_nComNumber);
  EXPECT_EQ(1, dlg.m_nWaitOnTx);
  EXPECT_EQ(5, Dword(media.parameters(), "ComNumberOffset"));
  EXPECT_EQ(1, Dword(media.parameters(), "TxFIFO"));
}

TEST(COperationDlg, DecliningOrCancellingASubPageInstallsNothing) {
  using Act = void (*)(User&, HWND);
  const Act yes = [](User& u, HWND licencePage) {
    u.Click(licencePage, IDOK);
    u.WaitUntilGone(licencePage);
  };
  const struct {
    const char* name;
    Act onLicence;
    Act onComPage;    // none: the licence page has already ended the run
    const char* box;  // the Warning box that ends the run, if any
  } kCases[] = {
      {"licence No", kCancel.act, nullptr, nullptr},
      {"licence close box", kCloseBox.act, nullptr, nullptr},
      {"COM port Cancel", yes, kCancel.act, nullptr},
      {"COM port Esc", yes, kEsc.act, nullptr},
      {"COM port Alt+C", yes, kAltC.act, nullptr},
      // Out of the user's reach on the page, so set from outside.
      {"next available", yes,
       [](User& u, HWND com) {
         SendMessageA(GetDlgItem(com, IDC_NEXT_AVAILABLE), BM_SETCHECK, BST_CHECKED, 0);
         u.SetText(com, IDC_START_COM, "5");
         u.Click(com, IDOK);
       },
       "Unexpected SETUP error, installation will be terminated"},
  };
  FileBesideProgram licence("licence.txt", "Terms.\r\n");
  ServiceMedia media("ZlPagesDecline");
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    COperationDlg dlg(nullptr);
    media.GiveTo(dlg);
    UserScript user([&](User& u) {
      HWND page = WaitForOperationPage(u);
      u.Click(page, IDC_NEXT);
      c.onLicence(u, WaitForSubPage(u));
      if (c.onComPage != nullptr) c.onComPage(u, WaitForComPortPage(u));
      if (c.box != nullptr) {
        const SeenMessageBox box = u.WaitForMessageBox();
        EXPECT_EQ(c.box, box.text);
        u.Click(box.hwnd, IDOK);
      }
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, media.key()));
  }
}

TEST(COperationDlg, ComTextIsReadLikeAtoiAndNoLicenceSkipsItsPage) {
  const struct {
    const char* service;
    const char* text;
    bool waitOnTx;
    int comNumber;
    long long written;  // ComNumberOffset afterwards; -1: not written
  } kCases[] = {
      {"ZlPagesCom1", "   ", false, 0, -1},   {"ZlPagesCom2", "abc", true, 0, -1},
      {"ZlPagesCom3", "12ab", false, 12, 12}, {"ZlPagesCom4", "-5", true, -5, -1},
      {"ZlPagesCom5", "\r 7", false, 7, 7},   {"ZlPagesCom6", "19", false, 19, 19},
      {"ZlPagesCom7", "10", false, 10, 10},
  };
  FileBesideProgram noLicence("licence.txt");
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string("\"") + c.text + "\"");
    ServiceMedia media(c.service);
    COperationDlg dlg(nullptr);
    media.GiveTo(dlg);
    UserScript user([&](User& u) {
      HWND page = WaitForOperationPage(u);
      u.Click(page, IDC_NEXT);
      HWND comPage = WaitForComPortPage(u);
      if (c.waitOnTx) u.Click(comPage, IDC_WAIT_ON_TX);
      u.SetText(comPage, IDC_START_COM, c.text);
      u.Click(comPage, IDOK);
      WaitForFinished(u);
      u.Click(page, IDC_NEXT);
    });
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(c.comNumber, dlg.m_nComNumber);
    EXPECT_EQ(c.written, Dword(media.parameters(), "ComNumberOffset"));
    EXPECT_EQ(c.waitOnTx ? 1 : -1, Dword(media.parameters(), "TxFIFO"));
  }
}

namespace {
int g_comPortRuns = 0;
using DialogBoxParamFn = INT_PTR(WINAPI*)(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM);
DialogBoxParamFn g_realDialogBoxParam = nullptr;

// The COM port page cannot be created; the other pages run for real.
INT_PTR WINAPI ComPortPageFails(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc,
                                LPARAM param) {
  if (name != MAKEINTRESOURCEA(IDD_COM_PORT))
    return g_realDialogBoxParam(instance, name, owner, proc, param);
  // Three tries are enough to see a retry loop; end it rather than hang the run.
  return ++g_comPortRuns < 3 ? -1 : IDCANCEL;
}
}  // namespace

TEST(COperationDlg, AComPortPageThatCannotOpenEndsTheRun) {
  FileBesideProgram noLicence("licence.txt");
  ServiceMedia media("ZlPagesNoPage");
  ImportHook hook("USER32.dll", "DialogBoxParamA", &ComPortPageFails);
  ASSERT_TRUE(hook.installed());
  g_realDialogBoxParam = hook.original<DialogBoxParamFn>();
  COperationDlg dlg(nullptr);
  media.GiveTo(dlg);
  UserScript user([&](User& u) { u.Click(WaitForOperationPage(u), IDC_NEXT); });
  EXPECT_EQ(IDCANCEL, dlg.DoModal());
  EXPECT_EQ(1, g_comPortRuns);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, media.key()));
}

namespace {
const ImportHook* g_realSectionInstall = nullptr;
std::vector<int> g_enabledDuringCopy;

// Where NT4's progress window keeps the page live during the copy: the user clicks UNINSTALL
// if it can be clicked, as a mouse would, and the page's controls are read meanwhile.
BOOL WINAPI ClickUninstallDuringTheCopy(HWND owner, HINF inf, PCSTR section, UINT flags,
                                        HKEY keyRoot, PCSTR sourceRoot, UINT copyFlags,
                                        PSP_FILE_CALLBACK_A callback, PVOID context,
                                        HDEVINFO devices, PSP_DEVINFO_DATA device) {
  for (int id : {IDC_NEXT, IDCANCEL, IDC_INSTALL, IDC_UNINSTALL})
    if (IsWindowEnabled(GetDlgItem(owner, id))) g_enabledDuringCopy.push_back(id);
  if (IsWindowEnabled(GetDlgItem(owner, IDC_UNINSTALL)))
    SendDlgItemMessageA(owner, IDC_UNINSTALL, BM_CLICK, 0, 0);
  return g_realSectionInstall->original<decltype(&ClickUninstallDuringTheCopy)>()(
      owner, inf, section, flags, keyRoot, sourceRoot, copyFlags, callback, context, devices,
      device);
}
}  // namespace

TEST(COperationDlg, NothingOnThePageCanBeClickedWhileTheOperationRuns) {
  FileBesideProgram noLicence("licence.txt");
  ServiceMedia media("ZlPagesLive");
  ImportHook hook("SETUPAPI.dll", "SetupInstallFromInfSectionA", &ClickUninstallDuringTheCopy);
  ASSERT_TRUE(hook.installed());
  g_realSectionInstall = &hook;
  COperationDlg dlg(nullptr);
  media.GiveTo(dlg);
  UserScript user([&](User& u) {
    u.Click(WaitForOperationPage(u), IDC_NEXT);
    HWND comPage = WaitForComPortPage(u);
    u.Click(comPage, IDC_WAIT_ON_TX);
    u.SetText(comPage, IDC_START_COM, "6");
    u.Click(comPage, IDOK);
    u.Click(WaitForFinished(u), IDC_NEXT);
  });
  EXPECT_EQ(IDOK, dlg.DoModal());
  EXPECT_EQ(std::vector<int>{}, g_enabledDuringCopy);
  EXPECT_EQ(1, dlg.m_bInstall);
  EXPECT_EQ(6, Dword(media.parameters(), "ComNumberOffset"));
  EXPECT_EQ(1, Dword(media.parameters(), "TxFIFO"));
}
