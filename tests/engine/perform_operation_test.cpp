#include <windows.h>
#include <setupapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "engine/setup_engine.h"
#include "engine/engine_harness.h"
#include "platform/handles.h"
#include "support/import_hook.h"
#include "support/media.h"

namespace {
using Calls = std::vector<std::string>;

const char kCaption[] = "Windows NT4 Device Installation";
const Calls kReleaseAll = {"release context", "release queue", "release INF", "release key"};

Calls Then(Calls first, const Calls& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

void ExpectEngineBoxes(const EngineLog& log, HWND owner) {
  for (const ShownBox& box : log.boxes) {
    SCOPED_TRACE(box.text);
    EXPECT_EQ(kCaption, box.caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), box.type);
    EXPECT_EQ(owner, box.owner);
  }
}

// Stand-ins for the default queue callback.
struct DefaultCall {
  PVOID context;
  UINT notification;
  UINT_PTR param1;
  UINT_PTR param2;
};
std::vector<DefaultCall> g_defaultCalls;
constexpr UINT kDefaultAnswer = 0x5A5A;

UINT WINAPI RecordDefault(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR param2) {
  g_defaultCalls.push_back({context, notification, param1, param2});
  return kDefaultAnswer;
}

// What Windows' default callback does for a source file that is missing (Wine's loops
// instead): it asks for the disk and, when the user cancels, aborts with ERROR_CANCELLED.
const ImportHook* g_realDefault = nullptr;
bool g_promptCancelled = false;

UINT WINAPI PromptForMissingSource(PVOID context, UINT notification, UINT_PTR param1,
                                   UINT_PTR param2) {
  if (notification == SPFILENOTIFY_NEEDMEDIA) {
    const auto* media = reinterpret_cast<const SOURCE_MEDIA_A*>(param1);
    std::string source = media->SourcePath;
    if (!source.empty() && source.back() != '\\') source += '\\';
    if (!FileExists(source + media->SourceFile)) {
      char found[MAX_PATH] = {};
      if (SetupPromptForDiskA(GetActiveWindow(), nullptr, media->Description, media->SourcePath,
                              media->SourceFile, media->Tagfile, IDF_CHECKFIRST, found, MAX_PATH,
                              nullptr) == DPROMPT_CANCEL) {
        g_promptCancelled = true;
        SetLastError(ERROR_CANCELLED);
        return FILEOP_ABORT;
      }
    }
  }
  return g_realDefault->original<PSP_FILE_CALLBACK_A>()(context, notification, param1, param2);
}

// Watches the answers of the engine's file callback inside a real section install.
const ImportHook* g_realInstall = nullptr;
PSP_FILE_CALLBACK_A g_engineCallback = nullptr;
UINT g_copyFlags = 0;
std::vector<std::pair<UINT, UINT>> g_answers;

UINT CALLBACK WatchAnswer(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR param2) {
  const UINT answer = g_engineCallback(context, notification, param1, param2);
  g_answers.emplace_back(notification, answer);
  return answer;
}

BOOL WINAPI WatchInstall(HWND owner, HINF inf, PCSTR section, UINT flags, HKEY keyRoot,
                         PCSTR sourceRoot, UINT copyFlags, PSP_FILE_CALLBACK_A callback,
                         PVOID context, HDEVINFO devices, PSP_DEVINFO_DATA device) {
  g_engineCallback = callback;
  g_copyFlags = copyFlags;
  return g_realInstall->original<decltype(&WatchInstall)>()(owner, inf, section, flags, keyRoot,
                                                            sourceRoot, copyFlags, &WatchAnswer,
                                                            context, devices, device);
}

// Failing stand-ins for the setup API, each with the error that the box must show.
HSPFILEQ WINAPI NullQueue() {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return nullptr;
}
HSPFILEQ WINAPI InvalidQueue() {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return INVALID_HANDLE_VALUE;
}
PVOID WINAPI NoContext(HWND, HWND, UINT, DWORD, PVOID) {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return nullptr;
}
BOOL WINAPI InstallFails(HWND, HINF, PCSTR, UINT, HKEY, PCSTR, UINT, PSP_FILE_CALLBACK_A, PVOID,
                         HDEVINFO, PSP_DEVINFO_DATA) {
  SetLastError(ERROR_WRITE_PROTECT);
  return FALSE;
}
BOOL WINAPI CommitFails(HWND, HSPFILEQ, PSP_FILE_CALLBACK_A, PVOID) {
  SetLastError(0xE0000203);
  return FALSE;
}

const ImportHook* g_realLocalFree = nullptr;
int g_localBlocksFreed = 0;
HLOCAL WINAPI CountLocalFree(HLOCAL block) {
  if (block != nullptr) ++g_localBlocksFreed;
  return g_realLocalFree->original<decltype(&LocalFree)>()(block);
}
}  // namespace

TEST(FileQueueCallback, SkipsUndeletableFilesAndHandsEverythingElseToTheDefault) {
  ImportHook hook("SETUPAPI.dll", "SetupDefaultQueueCallbackA", &RecordDefault);
  ASSERT_TRUE(hook.installed());
  const struct {
    UINT notification;
    UINT answer;
  } kCases[] = {
      {SPFILENOTIFY_DELETEERROR, FILEOP_SKIP},    {SPFILENOTIFY_COPYERROR, kDefaultAnswer},
      {SPFILENOTIFY_NEEDMEDIA, kDefaultAnswer},   {SPFILENOTIFY_RENAMEERROR, kDefaultAnswer},
      {SPFILENOTIFY_STARTDELETE, kDefaultAnswer},
  };
  PVOID context = reinterpret_cast<PVOID>(0x1234);
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.notification);
    g_defaultCalls.clear();
    EXPECT_EQ(c.answer, FileQueueCallback(context, c.notification, 0x11, 0x22));
    if (c.notification == SPFILENOTIFY_DELETEERROR) {
      EXPECT_TRUE(g_defaultCalls.empty());
    } else {
      ASSERT_EQ(1u, g_defaultCalls.size());
      EXPECT_EQ(context, g_defaultCalls[0].context);
      EXPECT_EQ(c.notification, g_defaultCalls[0].notification);
      EXPECT_EQ(0x11u, g_defaultCalls[0].param1);
      EXPECT_EQ(0x22u, g_defaultCalls[0].param2);
    }
  }
}

TEST(ReportLastSetupError, ShowsTheSystemTextOrElseTheCodeButNothingOnCancel) {
  // Wine has a text with an insert for this code and none for the setup API's own codes.
  const std::string withInsert = SystemText(ERROR_BAD_EXE_FORMAT);
  ASSERT_NE(std::string::npos, withInsert.find("%1"));
  ASSERT_EQ("", SystemText(0xE0000217));
  const struct {
    DWORD code;
    std::string shown;
    int freed;  // blocks given back with LocalFree: the system's text, once
  } kCases[] = {
      {ERROR_NOT_ENOUGH_MEMORY, SystemText(ERROR_NOT_ENOUGH_MEMORY), 1},
      {ERROR_BAD_EXE_FORMAT, withInsert, 1},
      {0xE0000217, "Error code = -536870377 (0xe0000217)", 0},
      {0xE000020B, "Error code = -536870389 (0xe000020b)", 0},
      {ERROR_CANCELLED, "", 0},
  };
  ImportHook free("KERNEL32.dll", "LocalFree", &CountLocalFree);
  ASSERT_TRUE(free.installed());
  g_realLocalFree = &free;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.code);
    EngineLog log;
    ASSERT_TRUE(log.installed());
    g_localBlocksFreed = 0;
    WithUser([&] {
      SetLastError(c.code);
      ReportLastSetupError(nullptr);
    });
    EXPECT_EQ(c.shown.empty() ? Calls{} : Calls({"box: " + c.shown, "debug: " + c.shown}),
              log.calls);
    EXPECT_EQ(c.freed, g_localBlocksFreed);
  }
}

TEST(PerformOperation, InstallAndUninstallCarryOutTheirSectionsAndReleaseEverything) {
  ScratchService svc("EngRoundTrip", {"engrt.sys", "engrt.dll"});
  TempDir media;
  media.Write("engrt.sys", "driver bytes");
  media.Write("engrt.dll", "helper bytes");
  const std::string infPath =
      media.Write("ENGRT.INF", DriverInf(svc.name(), {"engrt.sys", "engrt.dll"}).Text());

  {
    EngineLog log;
    ASSERT_TRUE(log.installed());
    const Outcome out = RunEngine(1, svc.name(), media.path(), infPath, 5, 1);
    EXPECT_EQ(1, out.result);
    EXPECT_EQ(1, out.filesCommitted);
    EXPECT_EQ(Then({"release Parameters", "release Parameters"}, kReleaseAll), log.calls);
    EXPECT_EQ(out.page, log.contextOwner);
    // Wine lets the INF's HKR lines make Parameters under a key opened for reading; NT4 does not.
    const REGSAM needed = KEY_CREATE_SUB_KEY | KEY_SET_VALUE;
    EXPECT_EQ(needed, log.keyAccess & needed);
  }
  EXPECT_EQ("driver bytes", ReadFileBytes(svc.driver(0)));
  EXPECT_EQ("helper bytes", ReadFileBytes(svc.driver(1)));
  EXPECT_EQ(8, Dword(svc.parameters(), "PortCount"));
  EXPECT_TRUE(svc.serviceExists());

  {
    EngineLog log;
    const Outcome out = RunEngine(0, svc.name(), media.path(), infPath, 5, 1);
    EXPECT_EQ(1, out.result);
    EXPECT_EQ(1, out.filesCommitted);
    EXPECT_EQ(kReleaseAll, log.calls);
  }
  EXPECT_FALSE(FileExists(svc.driver(0)));
  EXPECT_FALSE(FileExists(svc.driver(1)));
  EXPECT_FALSE(svc.serviceExists());
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, svc.key()));
}

TEST(PerformOperation, UninstallCreatesAMissingServiceKeyAndSkipsAFileItCannotDelete) {
  ScratchService svc("EngNoKey", {"engnk.dll", "engnk.sys"});
  TempDir media;
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(CopyFileA(media.Write("file", "old").c_str(), svc.driver(i).c_str(), FALSE));
  }
  // Held without FILE_SHARE_DELETE, and listed first: the second must still go.
  FileHandle held(CreateFileA(svc.driver(0).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);
  const std::string infPath =
      media.Write("ENGNK.INF", DriverInf(svc.name(), {"engnk.dll", "engnk.sys"}).Text());
  ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, svc.key()));

  EngineLog log;
  ImportHook watch("SETUPAPI.dll", "SetupInstallFromInfSectionA", &WatchInstall);
  ASSERT_TRUE(watch.installed());
  g_realInstall = &watch;
  const Outcome out = RunEngine(0, svc.name(), media.path(), infPath);
  EXPECT_EQ(1, out.result);
  EXPECT_EQ(1, out.filesCommitted);
  EXPECT_EQ(kReleaseAll, log.calls);
  const std::pair<UINT, UINT> skipped(SPFILENOTIFY_DELETEERROR, FILEOP_SKIP);
  EXPECT_EQ(1, std::count(g_answers.begin(), g_answers.end(), skipped));
  // Wine ignores it; without it NT4's copy-error box offers Skip, and a skipped driver passes.
  EXPECT_EQ(static_cast<UINT>(SP_COPY_NOSKIP), g_copyFlags & SP_COPY_NOSKIP);
  EXPECT_TRUE(FileExists(svc.driver(0)));
  EXPECT_FALSE(FileExists(svc.driver(1)));
  EXPECT_EQ("Ports", KeyClass(HKEY_LOCAL_MACHINE, svc.key()));
}

TEST(PerformOperation, RejectsAFileThatIsNotAnInf) {
  ScratchService svc("EngBadInf", {});
  TempDir media;
  // Also a path of MAX_PATH characters with blanks, '%' sequences and a non-ASCII byte, which
  // must come out as it is.
  std::string longPath = media.path() + "not an INF %s %1 %% \xE9 ";
  longPath.append(MAX_PATH - longPath.size() - 4, 'x') += ".INF";
  for (const std::string& infPath :
       {media.Write("ENGBAD.INF", "Just some notes.\r\nNot an INF.\r\n"), longPath}) {
    SCOPED_TRACE(infPath);
    EngineLog log;
    const Outcome out = RunEngine(1, svc.name(), media.path(), infPath);
    EXPECT_EQ(0, out.result);
    EXPECT_EQ(0, out.filesCommitted);
    EXPECT_EQ(Calls({"debug: " + infPath, "box: '" + infPath + "' is not a valid INF file!"}),
              log.calls);
    ExpectEngineBoxes(log, out.page);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, svc.key()));
  }
}

namespace {
// The service key with an empty DACL, so that creating it again is refused; the handle
// opened before keeps the right to lift that again.
class LockedKey {
 public:
  explicit LockedKey(const std::string& path) {
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    key_.put(), nullptr);
    InitializeAcl(&emptyAcl_, sizeof(emptyAcl_), ACL_REVISION);
    locked_ = SetDacl(&emptyAcl_);
  }
  ~LockedKey() { SetDacl(nullptr); }
  bool locked() const { return locked_; }

 private:
  bool SetDacl(ACL* acl) {
    SECURITY_DESCRIPTOR sd;
    InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE);
    return RegSetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS;
  }

  RegKey key_;
  ACL emptyAcl_;
  bool locked_;
};
}  // namespace

TEST(PerformOperation, ReportsAServiceKeyItCannotOpen) {
  ScratchService svc("EngLocked", {"englk.sys"});
  TempDir media;
  media.Write("englk.sys", "driver bytes");
  const std::string infPath = media.Write("ENGLK.INF", DriverInf(svc.name(), {"englk.sys"}).Text());
  LockedKey lock(svc.key());
  ASSERT_TRUE(lock.locked());

  EngineLog log;
  const Outcome out = RunEngine(1, svc.name(), media.path(), infPath);
  EXPECT_EQ(0, out.result);
  EXPECT_EQ(0, out.filesCommitted);
  EXPECT_EQ(Calls({"box: Cant open key", "release INF"}), log.calls);
  ExpectEngineBoxes(log, out.page);
  EXPECT_FALSE(FileExists(svc.driver()));
}

TEST(PerformOperation, EachFailingSetupCallIsReportedAndReleasesWhatWasHeld) {
  const std::string noMemory = SystemText(ERROR_NOT_ENOUGH_MEMORY);
  ASSERT_NE("", noMemory);
  const Calls reportNoMemory = {"box: " + noMemory, "debug: " + noMemory};
  const std::string writeProtect = SystemText(ERROR_WRITE_PROTECT);
  ASSERT_NE("", writeProtect);
  const struct {
    const char* function;
    const void* standIn;
    int filesCommitted;
    Calls calls;
  } kCases[] = {
      {"SetupOpenFileQueue", reinterpret_cast<const void*>(&NullQueue), 0,
       Then(reportNoMemory, {"release INF", "release key"})},
      {"SetupOpenFileQueue", reinterpret_cast<const void*>(&InvalidQueue), 0,
       Then(reportNoMemory, {"release INF", "release key"})},
      // The queue and the INF go first; their release must not change the error shown.
      {"SetupInitDefaultQueueCallbackEx", reinterpret_cast<const void*>(&NoContext), 0,
       Then(Then({"release queue", "release INF"}, reportNoMemory), {"release key"})},
      {"SetupInstallFromInfSectionA", reinterpret_cast<const void*>(&InstallFails), 0,
       Then({"box: " + writeProtect, "debug: " + writeProtect}, kReleaseAll)},
      {"SetupCommitFileQueueA", reinterpret_cast<const void*>(&CommitFails), 1,
       Then({"box: Error code = -536870397 (0xe0000203)",
             "debug: Error code = -536870397 (0xe0000203)"},
            kReleaseAll)},
  };
  ScratchService svc("EngSeams", {"engsm.sys"});
  TempDir media;
  media.Write("engsm.sys", "driver bytes");
  const std::string infPath = media.Write("ENGSM.INF", DriverInf(svc.name(), {"engsm.sys"}).Text());

  for (const auto& c : kCases) {
    SCOPED_TRACE(c.function);
    EngineLog log;
    ImportHook fail("SETUPAPI.dll", c.function, c.standIn);
    ASSERT_TRUE(fail.installed());
    const Outcome out = RunEngine(1, svc.name(), media.path(), infPath, 5, 1);
    EXPECT_EQ(0, out.result);
    EXPECT_EQ(c.filesCommitted, out.filesCommitted);
    EXPECT_EQ(c.calls, log.calls);
    ExpectEngineBoxes(log, out.page);
    EXPECT_FALSE(svc.serviceExists());
  }
}

TEST(PerformOperation, ServiceFailureComesAfterTheFilesAndSkipsThePortParameters) {
  ScratchService svc("EngNoBinary", {"engnb.sys"});
  TempDir media;
  media.Write("engnb.sys", "driver bytes");
  DriverInf inf(svc.name(), {"engnb.sys"});
  inf.serviceLines = "ServiceType = 1\nStartType = 3\nErrorControl = 1\n";
  const std::string infPath = media.Write("ENGNB.INF", inf.Text());

  EngineLog log;
  const Outcome out = RunEngine(1, svc.name(), media.path(), infPath, 5, 1);
  EXPECT_EQ(0, out.result);
  EXPECT_EQ(1, out.filesCommitted);
  EXPECT_EQ(Then({"box: Error code = -536870377 (0xe0000217)",
                  "debug: Error code = -536870377 (0xe0000217)"},
                 kReleaseAll),
            log.calls);
  ExpectEngineBoxes(log, out.page);
  EXPECT_EQ("driver bytes", ReadFileBytes(svc.driver()));
  EXPECT_NE(-1, Dword(svc.parameters(), "PortCount"));
  EXPECT_EQ(-1, Dword(svc.parameters(), "ComNumberOffset"));
  EXPECT_EQ(-1, Dword(svc.parameters(), "TxFIFO"));
}

TEST(PerformOperation, CancellingTheCopyPromptEndsQuietly) {
  ScratchService svc("EngCancel", {"engcn.sys"});
  TempDir media;  // without engcn.sys
  const std::string infPath = media.Write("ENGCN.INF", DriverInf(svc.name(), {"engcn.sys"}).Text());

  EngineLog log;
  ImportHook prompt("SETUPAPI.dll", "SetupDefaultQueueCallbackA", &PromptForMissingSource);
  ASSERT_TRUE(prompt.installed());
  g_realDefault = &prompt;
  const Outcome out = RunEngine(1, svc.name(), media.path(), infPath, 5, 1);
  EXPECT_EQ(0, out.result);
  EXPECT_EQ(0, out.filesCommitted);
  EXPECT_TRUE(g_promptCancelled);
  EXPECT_EQ(kReleaseAll, log.calls);
  EXPECT_FALSE(FileExists(svc.driver()));
  EXPECT_FALSE(svc.serviceExists());
}
