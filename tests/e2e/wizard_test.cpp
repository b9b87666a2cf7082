// The user's roads through setup.exe, run for real: the program copied onto a media folder,
// started as its own process and answered window by window, then the registry, the drivers
// folder and the service examined.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>
#include <vector>

#include "e2e/setup_run.h"
#include "res/resource.h"

namespace {
const std::string kServiceKey = std::string(kServicesKey) + "ZL73";
const std::string kParametersKey = kServiceKey + "\\Parameters";
const char kEngineCaption[] = "Windows NT4 Device Installation";
const char kFailureCaption[] = " Windows NT4 Device Installation Error";
const char kFailureText[] =
    "Due to an error the operation was not fully completed.\n"
    "Run setup again to complete the operation";

std::string InstalledDriver() { return DriversDir() + "zl73.sys"; }

bool ServiceRegistered() {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (manager == nullptr) return false;
  SC_HANDLE service = OpenServiceA(manager, "ZL73", SERVICE_QUERY_STATUS);
  if (service != nullptr) CloseServiceHandle(service);
  CloseServiceHandle(manager);
  return service != nullptr;
}

std::string ReadString(const std::string& path, const char* name) {
  char text[MAX_PATH] = {};
  DWORD size = sizeof(text) - 1;
  SHGetValueA(HKEY_LOCAL_MACHINE, path.c_str(), name, nullptr, text, &size);
  return text;
}

// The name of the service key as the registry stores it, whatever the case asked for.
std::string StoredServiceKeyName() {
  HKEY services = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kServicesKey, 0, KEY_READ, &services) != ERROR_SUCCESS) {
    return {};
  }
  std::string found;
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof(name);
    if (RegEnumKeyExA(services, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    if (lstrcmpiA(name, "ZL73") == 0) found = name;
  }
  RegCloseKey(services);
  return found;
}

// Welcome page: Next. Returns the Install / Uninstall page.
HWND PassWelcome(Robot& r) {
  r.Click(r.WelcomePage(), IDOK);
  return r.OperationPage();
}

// An uninstallation from the welcome page to Finish, which offers the restart.
void Uninstall(SetupRun& run) {
  Robot& r = run.robot();
  HWND page = PassWelcome(r);
  r.Check(page, IDC_UNINSTALL);
  r.Click(page, IDC_NEXT);
  r.Click(r.FinishedPage(), IDC_NEXT);
  run.ExpectExit();
  EXPECT_TRUE(run.OfferedRestart());
}

// Licence: Yes. COM port page: the entry picked, Wait on Tx as given, Next.
void AnswerLicenceAndComPort(Robot& r, const std::string& comPort, bool waitOnTx) {
  r.Click(r.LicencePage(), IDOK);
  HWND page = r.ComPortPage();
  r.Pick(page, IDC_START_COM, comPort);
  if (waitOnTx) r.Check(page, IDC_WAIT_ON_TX);
  r.Click(page, IDOK);
}

// An installation on COM 5 with Wait on Tx, answered up to the operation: the engine's box,
// owned by the Install / Uninstall page.
SeenMessageBox EngineBoxOfAnInstallation(Robot& r) {
  HWND page = PassWelcome(r);
  r.Click(page, IDC_NEXT);
  AnswerLicenceAndComPort(r, "5", true);
  const SeenMessageBox box = r.MessageBox();
  EXPECT_EQ(kEngineCaption, box.caption);
  EXPECT_EQ(page, box.owner);
  return box;
}

// The box that closes every failed operation, answered OK.
void AnswerFailureBox(Robot& r, const std::string& snap = "") {
  const SeenMessageBox box = r.MessageBox();
  EXPECT_EQ(kFailureCaption, box.caption);
  EXPECT_EQ(kFailureText, box.text);
  EXPECT_EQ(nullptr, box.owner);
  if (!snap.empty()) r.Snap(box.hwnd, snap);
  r.Click(box.hwnd, IDOK);
}

void ExpectNothingInstalled() {
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kServiceKey));
  EXPECT_FALSE(FileExists(InstalledDriver()));
  EXPECT_FALSE(ServiceRegistered());
}

// A child takes Wine's settings from this process's Unix environment, not from its Windows one;
// the prefix's own settings for setup.exe it does read. Wizard removes them.
const char kSetupSettings[] = "Software\\Wine\\AppDefaults\\setup.exe";

// How Wine is to load the DLL for setup.exe: "native,builtin", or "" for not at all.
void LoadDllForSetup(const char* dll, const char* loadOrder) {
  SHSetValueA(HKEY_CURRENT_USER, (kSetupSettings + std::string("\\DllOverrides")).c_str(), dll,
              REG_SZ, loadOrder, lstrlenA(loadOrder) + 1);
}

class Wizard : public ::testing::Test {
 protected:
  void SetUp() override { RemoveInstallation(); }
  void TearDown() override {
    RemoveInstallation();
    DeleteKeyTree(HKEY_CURRENT_USER, kSetupSettings);
  }

  static void RemoveInstallation() {
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (manager != nullptr) {
      SC_HANDLE service = OpenServiceA(manager, "ZL73", DELETE);
      if (service != nullptr) {
        DeleteService(service);
        CloseServiceHandle(service);
      }
      CloseServiceHandle(manager);
    }
    DeleteKeyTree(HKEY_LOCAL_MACHINE, kServiceKey);
    SetFileAttributesA(InstalledDriver().c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(InstalledDriver().c_str());
  }

  TempDir media_{Drive()};
};
}  // namespace

TEST_F(Wizard, InstallsThenUninstalls) {
  // Given a disk and no drive to lay it out on, setup.exe runs on the disk itself, as from a
  // write-protected floppy: nothing may be written beside it.
  const bool onDisk = !Disk().empty() && Drive().empty();
  const std::string folder = onDisk ? Disk() : media_.path();
  if (!onDisk) PutSampleFiles(media_, {"ZL73.INF", "zl73.sys", "licence.txt"});
  const auto diskContent = FolderContent(folder);
  ASSERT_TRUE(!onDisk || diskContent.count("setup.exe") == 1) << folder;
  {
    SetupRun run(folder);
    Robot& r = run.robot();
    HWND welcome = r.WelcomePage();
    EXPECT_EQ(nullptr, User::Owner(welcome));
    r.Snap(welcome, "01-welcome");
    r.Click(welcome, IDOK);

    HWND page = r.OperationPage();
    EXPECT_EQ("Installation File: ZL73.INF", User::ItemText(page, IDC_INF_FILE));
    EXPECT_EQ(BST_CHECKED, User::Checked(page, IDC_INSTALL));
    EXPECT_EQ(nullptr, User::Owner(page));
    r.Snap(page, "02-install-uninstall");
    r.Click(page, IDC_NEXT);

    HWND licence = r.LicencePage();
    EXPECT_EQ(SampleMediaFile("licence.txt"), User::ItemText(licence, IDC_LICENCE_TEXT));
    EXPECT_EQ(page, User::Owner(licence));
    r.Snap(licence, "03-licence");
    r.Click(licence, IDOK);

    HWND comPort = r.ComPortPage();
    r.Snap(comPort, "04-com-port");
    r.Snap(comPort, "05-com-port-list", IDC_START_COM);
    r.Pick(comPort, IDC_START_COM, "5");
    r.Check(comPort, IDC_WAIT_ON_TX);
    r.Click(comPort, IDOK);

    EXPECT_EQ(page, r.FinishedPage());
    EXPECT_EQ("    The operation was completed successfully.", User::ItemText(page, IDC_STATUS));
    r.Snap(page, "07-finished");
    r.Click(page, IDC_NEXT);
    run.ExpectExit();
    EXPECT_TRUE(run.OfferedRestart());
    EXPECT_EQ(std::vector<std::string>{}, run.DebugOutput());
  }
  NarrateInstalledState("ZL73");
  EXPECT_EQ(SampleMediaFile("zl73.sys"), ReadFileBytes(InstalledDriver()));
  EXPECT_TRUE(ServiceRegistered());
  EXPECT_EQ(SERVICE_KERNEL_DRIVER, Dword(kServiceKey, "Type"));
  EXPECT_EQ(SERVICE_DEMAND_START, Dword(kServiceKey, "Start"));
  const std::string imagePath = ReadString(kServiceKey, "ImagePath");
  EXPECT_TRUE(PathMatchSpecA(imagePath.c_str(), "*\\drivers\\zl73.sys")) << imagePath;
  EXPECT_EQ(5, Dword(kParametersKey, "ComNumberOffset"));
  EXPECT_EQ(1, Dword(kParametersKey, "TxFIFO"));

  {
    SetupRun run(folder);
    Uninstall(run);
  }
  NarrateInstalledState("ZL73");
  ExpectNothingInstalled();
  EXPECT_TRUE(!onDisk || diskContent == FolderContent(folder)) << "setup.exe wrote on the disk";
}

TEST_F(Wizard, WithoutInfShowsOnlyTheSetupErrorBox) {
  PutSampleFiles(media_, {"zl73.sys", "licence.txt"});
  SetupRun run(media_);
  Robot& r = run.robot();
  r.Click(r.WelcomePage(), IDOK);
  const SeenMessageBox box = r.MessageBox();
  EXPECT_EQ("Setup Error", box.caption);
  EXPECT_EQ(
      "Setup could not find a localised INF file\n"
      "You may have removed the driver and not deleted SETUP.EXE\n"
      "Refer to the installation media ",
      box.text);
  EXPECT_EQ(nullptr, box.owner);
  EXPECT_EQ(std::vector<HWND>{box.hwnd}, r.user().Dialogs());
  r.Snap(box.hwnd, "08-setup-error-no-inf");
  r.Click(box.hwnd, IDOK);
  run.ExpectExit();
  EXPECT_FALSE(run.OfferedRestart());
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kServiceKey));
}

TEST_F(Wizard, LowerCaseInfNamesTheServiceInLowerCase) {
  media_.Write("zl73.inf", SampleMediaFile("ZL73.INF"));
  PutSampleFiles(media_, {"zl73.sys"});
  SetupRun run(media_);
  Robot& r = run.robot();
  HWND page = PassWelcome(r);
  EXPECT_EQ("Installation File: zl73.INF", User::ItemText(page, IDC_INF_FILE));
  r.Check(page, IDC_UNINSTALL);
  r.Click(page, IDC_NEXT);
  r.Click(r.FinishedPage(), IDC_NEXT);
  run.ExpectExit();
  EXPECT_TRUE(run.OfferedRestart());
  // Nothing was installed, so the key the uninstallation created stays, as named and classed
  // by the program.
  EXPECT_EQ("zl73", StoredServiceKeyName());
  EXPECT_EQ("Ports", KeyClass(HKEY_LOCAL_MACHINE, kServiceKey));
}

TEST_F(Wizard, InvalidInfIsReportedThenTheFailure) {
  const std::string infPath = media_.Write("zl73.inf", "Just some text, not an INF.\r\n");
  PutSampleFiles(media_, {"zl73.sys", "licence.txt"});
  SetupRun run(media_);
  Robot& r = run.robot();
  const SeenMessageBox box = EngineBoxOfAnInstallation(r);
  EXPECT_EQ("'" + infPath + "' is not a valid INF file!", box.text);
  r.Snap(box.hwnd, "09-invalid-inf");
  r.Click(box.hwnd, IDOK);
  AnswerFailureBox(r, "10-failure");
  run.ExpectExit();
  EXPECT_EQ(std::vector<std::string>{infPath}, run.DebugOutput());
  EXPECT_FALSE(run.OfferedRestart());
  ExpectNothingInstalled();
}

TEST_F(Wizard, EndsQuietlyOnEveryWayOutBeforeTheOperation) {
  enum Stage { kWelcome, kOperation, kLicence, kComPort };
  struct WayOut {
    const char* name;
    Stage stage;
    void (*act)(Robot&, HWND);
  };
  const auto cancel = [](Robot& r, HWND page) { r.Click(page, IDCANCEL); };
  const auto esc = [](Robot& r, HWND page) { r.PressEsc(page); };
  const auto closeBox = [](Robot& r, HWND page) { r.CloseBox(page); };
  // A close request to the Install / Uninstall page under this page, as a task list's End
  // Task sends it (the close box of a disabled window does nothing); then the user goes on.
  const auto closedUnder = [](Robot& r, HWND page) {
    HWND under = User::Owner(page);
    PostMessageA(under, WM_CLOSE, 0, 0);
    EXPECT_TRUE(r.user().WaitUntilGone(under));
    if (GetDlgItem(page, IDC_START_COM) != nullptr) r.Pick(page, IDC_START_COM, "3");
    r.Click(page, IDOK);
  };
  const WayOut kWaysOut[] = {
      {"welcome page, Cancel", kWelcome, cancel},
      {"welcome page, Esc", kWelcome, esc},
      {"welcome page, close box", kWelcome, closeBox},
      {"Install / Uninstall page, Cancel", kOperation, cancel},
      {"Install / Uninstall page, Esc", kOperation, esc},
      {"Install / Uninstall page, close box", kOperation, closeBox},
      {"licence page, No", kLicence, cancel},
      {"COM port page, Cancel", kComPort, cancel},
      {"Install / Uninstall page closed under the licence page, then Yes", kLicence, closedUnder},
      {"Install / Uninstall page closed under the COM port page, then Next", kComPort, closedUnder},
  };
  PutSampleFiles(media_, {"ZL73.INF", "zl73.sys", "licence.txt"});
  for (const WayOut& way : kWaysOut) {
    SCOPED_TRACE(way.name);
    SetupRun run(media_);
    Robot& r = run.robot();
    HWND page = r.WelcomePage();
    if (way.stage >= kOperation) {
      r.Click(page, IDOK);
      page = r.OperationPage();
    }
    if (way.stage >= kLicence) {
      r.Click(page, IDC_NEXT);
      page = r.LicencePage();
    }
    if (way.stage >= kComPort) {
      r.Click(page, IDOK);
      page = r.ComPortPage();
    }
    way.act(r, page);
    run.ExpectExit();
    EXPECT_FALSE(run.OfferedRestart());
    ExpectNothingInstalled();
    // Each failing row costs a time limit: the first is enough to go on.
    if (HasFailure()) return;
  }
}

TEST_F(Wizard, CancelledCopyPromptEndsWithTheFailureBoxOnly) {
  PutSampleFiles(media_, {"ZL73.INF", "licence.txt"});  // no zl73.sys
  SetupRun run(media_, SeamedSetupExe());
  Robot& r = run.robot();
  HWND page = PassWelcome(r);
  r.Click(page, IDC_NEXT);
  AnswerLicenceAndComPort(r, "3", false);
  HWND prompt = r.Prompt("Files Needed");
  // NT4's own windows leave the page live: nothing on it may be clicked under the prompt.
  for (int id : {IDC_NEXT, IDCANCEL, IDC_INSTALL, IDC_UNINSTALL})
    EXPECT_FALSE(User::Enabled(page, id)) << "control " << id;
  r.Click(prompt, IDCANCEL);

  // A cancel is the user's own choice: no engine box, straight to the failure box.
  AnswerFailureBox(r);
  run.ExpectExit();
  EXPECT_EQ(std::vector<std::string>{}, run.DebugOutput());
  EXPECT_FALSE(run.OfferedRestart());
  EXPECT_FALSE(FileExists(InstalledDriver()));
}

TEST_F(Wizard, FailingServiceSectionIsReportedAfterTheFilesWereCopied) {
  std::string inf = SampleMediaFile("ZL73.INF");
  const std::string binaryLine = "ServiceBinary  = %12%\\zl73.sys";
  const std::string::size_type at = inf.find(binaryLine);
  ASSERT_NE(std::string::npos, at);
  media_.Write("ZL73.INF", inf.erase(at, binaryLine.size()));
  PutSampleFiles(media_, {"zl73.sys", "licence.txt"});
  SetupRun run(media_);
  Robot& r = run.robot();
  // Wine has no text for the setup API's own codes: the code itself is shown.
  const SeenMessageBox box = EngineBoxOfAnInstallation(r);
  EXPECT_EQ("Error code = -536870377 (0xe0000217)", box.text);
  r.Click(box.hwnd, IDOK);
  AnswerFailureBox(r);
  run.ExpectExit();
  EXPECT_EQ(std::vector<std::string>{"Error code = -536870377 (0xe0000217)"}, run.DebugOutput());
  // Files were committed, yet a failed run offers no restart.
  EXPECT_FALSE(run.OfferedRestart());
  EXPECT_EQ(SampleMediaFile("zl73.sys"), ReadFileBytes(InstalledDriver()));
  EXPECT_FALSE(ServiceRegistered());
  EXPECT_EQ(-1, Dword(kParametersKey, "ComNumberOffset"));
  EXPECT_EQ(-1, Dword(kParametersKey, "TxFIFO"));
}

TEST_F(Wizard, InstallsWithoutLicencePageWhenTheMediaHasNoLicence) {
  PutSampleFiles(media_, {"ZL73.INF", "zl73.sys"});
  SetupRun run(media_);
  Robot& r = run.robot();
  HWND page = PassWelcome(r);
  r.Click(page, IDC_NEXT);
  HWND next = r.LicenceOrComPortPage();
  ASSERT_NE(nullptr, GetDlgItem(next, IDC_START_COM)) << "a licence page without licence.txt";
  // Next with no port chosen: a warning, then the page once more.
  r.Click(next, IDOK);
  const SeenMessageBox box = r.MessageBox();
  EXPECT_EQ("You must select a starting COM port number", box.text);
  r.Snap(box.hwnd, "06-warning-no-com-port");
  r.Click(box.hwnd, IDOK);
  next = r.ComPortPage();
  r.Pick(next, IDC_START_COM, "3");
  r.Click(next, IDOK);
  r.Click(r.FinishedPage(), IDC_NEXT);
  run.ExpectExit();
  EXPECT_TRUE(run.OfferedRestart());
  EXPECT_TRUE(FileExists(InstalledDriver()));
  EXPECT_EQ(3, Dword(kParametersKey, "ComNumberOffset"));
  // Wait on Tx left unchecked: no TxFIFO.
  EXPECT_EQ(-1, Dword(kParametersKey, "TxFIFO"));
}

// NT4 looks for a DLL that is not one of its KnownDLLs beside the program first, as Wine does
// when told to prefer a native SETUPAPI: a setupapi.dll planted there must never be loaded.
// Without the system's own, a box says so before the welcome page.
TEST_F(Wizard, NeverLoadsASetupapiDllBesideItAndSaysSoWithoutTheSystemsOwn) {
  PutSampleFiles(media_, {"ZL73.INF", "zl73.sys"});
  ASSERT_TRUE(
      CopyFileW(Wide(PlantedDll()).c_str(), Wide(media_.path() + "setupapi.dll").c_str(), FALSE));
  {
    LoadDllForSetup("setupapi", "native,builtin");
    SetupRun run(media_);
    Uninstall(run);
  }
  EXPECT_FALSE(FileExists(media_.path() + "setupapi.dll.loaded"));

  LoadDllForSetup("setupapi", "");
  SetupRun run(media_);
  const SeenMessageBox box = run.robot().MessageBox();
  char system[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_EQ("setup", box.caption);
  EXPECT_EQ("Setup cannot run without\n" + std::string(system) +
                "\\SETUPAPI.DLL.\nError code = 126 (0x7e)",
            box.text);
  run.robot().Snap(box.hwnd, "11-no-setup-api");
  run.robot().Click(box.hwnd, IDOK);
  run.ExpectExit();
}

TEST_F(Wizard, InstallsFromAFolderNamedInLettersTheCodePageLacks) {
  // "Driver" in Japanese: the program reaches its folder through the folder's short name.
  const std::string folder = media_.path() + "\xe3\x83\x89\xe3\x83\xa9\xe3\x82\xa4\xe3\x83\x90\\";
  BOOL lost = FALSE;
  WideCharToMultiByte(CP_ACP, 0, Wide(folder).c_str(), -1, nullptr, 0, nullptr, &lost);
  ASSERT_TRUE(lost) << "the ANSI code page has these letters";
  ASSERT_TRUE(CreateDirectoryW(Wide(folder).c_str(), nullptr));
  PutSampleFiles(media_, {"ZL73.INF", "zl73.sys", "licence.txt"});
  for (const char* name : {"ZL73.INF", "zl73.sys", "licence.txt"})
    MoveFileW(Wide(media_.path() + name).c_str(), Wide(folder + name).c_str());
  {
    SetupRun run(folder);
    Robot& r = run.robot();
    r.Click(PassWelcome(r), IDC_NEXT);
    AnswerLicenceAndComPort(r, "4", true);
    r.Click(r.FinishedPage(), IDC_NEXT);
    run.ExpectExit();
    EXPECT_TRUE(run.OfferedRestart());
  }
  EXPECT_EQ(SampleMediaFile("zl73.sys"), ReadFileBytes(InstalledDriver()));
  EXPECT_TRUE(ServiceRegistered());
  EXPECT_EQ(4, Dword(kParametersKey, "ComNumberOffset"));
  EXPECT_EQ(1, Dword(kParametersKey, "TxFIFO"));
}
