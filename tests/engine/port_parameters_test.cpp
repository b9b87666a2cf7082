#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/setup_engine.h"
#include "engine/engine_harness.h"
#include "platform/handles.h"
#include "support/import_hook.h"
#include "support/media.h"

namespace {
using Calls = std::vector<std::string>;

const char kComMissing[] = "Cannot start at COM7\nCOM ports will start at system allocated number";
const char kFifoText[] = "Cannot configure FIFO size to enable Wait On TX mode";
const char kOpenKey2[] = "OPEN KEY\nError code = 2 (0x2)";

// The service key as the engine holds it; Parameters (with an entry of the INF's) if asked.
RegKey OpenServiceKey(const ScratchService& svc, bool withParameters) {
  if (withParameters) {
    WriteDword(HKEY_LOCAL_MACHINE, svc.parameters(), "PortCount", 8);
  } else {
    WriteDword(HKEY_LOCAL_MACHINE, svc.key(), "Start", 3);
  }
  RegKey key;
  RegOpenKeyExA(HKEY_LOCAL_MACHINE, svc.key().c_str(), 0, KEY_ALL_ACCESS, key.put());
  return key;
}

void ExpectWarningBoxes(const EngineLog& log, HWND owner) {
  for (const ShownBox& box : log.boxes) {
    SCOPED_TRACE(box.text);
    EXPECT_EQ("engine_tests", box.caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), box.type);
    EXPECT_EQ(owner, box.owner);
  }
}

LONG g_setValueError = 0;
LONG WINAPI FailingSetValue(HKEY, LPCSTR, DWORD, DWORD, const BYTE*, DWORD) {
  return g_setValueError;
}
}  // namespace

TEST(WritePortParameters, StoresTheComNumberAndWaitOnTxAsDwords) {
  ScratchService svc("EngPortsSet", {});
  const RegKey key = OpenServiceKey(svc, true);
  ASSERT_TRUE(key);

  EngineLog log;
  ASSERT_TRUE(log.installed());
  WithUser([&] { WritePortParameters(key.get(), 5, 1); });
  EXPECT_EQ(Calls({"release Parameters", "release Parameters"}), log.calls);
  EXPECT_EQ(5, Dword(svc.parameters(), "ComNumberOffset"));
  EXPECT_EQ(1, Dword(svc.parameters(), "TxFIFO"));
}

TEST(WritePortParameters, LeavesAValueAloneWhenItsOptionIsNotChosen) {
  const struct {
    int comNumber;
    int waitOnTx;
    long long comNumberOffset;
    long long txFifo;
  } kCases[] = {
      {0, 0, 11, 0x77}, {-3, 2, 11, 0x77}, {0, -1, 11, 0x77}, {3, 0, 3, 0x77}, {0, 1, 11, 1},
  };
  ScratchService svc("EngPortsKeep", {});
  const RegKey key = OpenServiceKey(svc, true);
  ASSERT_TRUE(key);
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << "COM " << c.comNumber << ", Wait on Tx " << c.waitOnTx);
    WriteDword(HKEY_LOCAL_MACHINE, svc.parameters(), "ComNumberOffset", 11);
    WriteDword(HKEY_LOCAL_MACHINE, svc.parameters(), "TxFIFO", 0x77);
    EngineLog log;
    WithUser([&] { WritePortParameters(key.get(), c.comNumber, c.waitOnTx); });
    EXPECT_TRUE(log.boxes.empty());
    EXPECT_EQ(c.comNumberOffset, Dword(svc.parameters(), "ComNumberOffset"));
    EXPECT_EQ(c.txFifo, Dword(svc.parameters(), "TxFIFO"));
  }
}

TEST(WritePortParameters, MissingParametersGivesTwoWarningsForEachOption) {
  ScratchService svc("EngPortsNoKey", {});
  const RegKey key = OpenServiceKey(svc, false);
  ASSERT_TRUE(key);

  EngineLog log;
  WithUser([&] { WritePortParameters(key.get(), 7, 1); });
  EXPECT_EQ(Calls({std::string("box: ") + kComMissing, std::string("box: ") + kOpenKey2,
                   std::string("box: ") + kFifoText, std::string("box: ") + kOpenKey2}),
            log.calls);
  ExpectWarningBoxes(log, nullptr);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, svc.parameters()));
}

TEST(WritePortParameters, AFailedWriteIsReportedAndItsKeyStillClosed) {
  const struct {
    LONG error;
    const char* text;
  } kCases[] = {
      {ERROR_ACCESS_DENIED, "SET VALUE\nError code = 5 (0x5)"},
      {ERROR_KEY_DELETED, "SET VALUE\nError code = 1018 (0x3fa)"},
  };
  ScratchService svc("EngPortsWrite", {});
  const RegKey key = OpenServiceKey(svc, true);
  ASSERT_TRUE(key);
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.error);
    EngineLog log;
    ImportHook fail("ADVAPI32.dll", "RegSetValueExA", &FailingSetValue);
    ASSERT_TRUE(fail.installed());
    g_setValueError = c.error;
    WithUser([&] { WritePortParameters(key.get(), 12, 1); });
    const std::string set = std::string("box: ") + c.text;
    EXPECT_EQ(
        Calls({"box: Cannot start at COM12\nCOM ports will start at system allocated number", set,
               "release Parameters", std::string("box: ") + kFifoText, set, "release Parameters"}),
        log.calls);
    ExpectWarningBoxes(log, nullptr);
  }
}

TEST(PerformOperation, UninstallNeverWritesThePortParameters) {
  ScratchService svc("EngPortsUninst", {"engpu.sys"});
  TempDir media;
  // This Uninstall keeps the service and leaves Parameters in place to be written.
  DriverInf inf(svc.name(), {"engpu.sys"});
  inf.uninstall = "AddReg = Reg\n";
  const std::string infPath = media.Write("ENGPU.INF", inf.Text());

  EngineLog log;
  const Outcome out = RunEngine(0, svc.name(), media.path(), infPath, 5, 1);
  EXPECT_EQ(1, out.result);
  EXPECT_TRUE(log.boxes.empty());
  EXPECT_EQ(8, Dword(svc.parameters(), "PortCount"));
  EXPECT_EQ(-1, Dword(svc.parameters(), "ComNumberOffset"));
  EXPECT_EQ(-1, Dword(svc.parameters(), "TxFIFO"));
}

TEST(PerformOperation, InstallWithoutParametersWarnsButSucceeds) {
  ScratchService svc("EngPortsNoParams", {"engnp.sys"});
  TempDir media;
  media.Write("engnp.sys", "driver bytes");
  DriverInf inf(svc.name(), {"engnp.sys"});
  inf.reg = "HKR,,Tag,0x10001,1\n";
  const std::string infPath = media.Write("ENGNP.INF", inf.Text());

  EngineLog log;
  const Outcome out = RunEngine(1, svc.name(), media.path(), infPath, 7, 1);
  EXPECT_EQ(1, out.result);
  EXPECT_EQ(1, out.filesCommitted);
  EXPECT_EQ(Calls({std::string("box: ") + kComMissing, std::string("box: ") + kOpenKey2,
                   std::string("box: ") + kFifoText, std::string("box: ") + kOpenKey2,
                   "release context", "release queue", "release INF", "release key"}),
            log.calls);
  ExpectWarningBoxes(log, out.page);
  EXPECT_TRUE(svc.serviceExists());
}
