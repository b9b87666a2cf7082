// Shared by the engine's tests: the page that runs the engine, a user who answers what it
// shows, a recorder of what it did through its imports, and scratch driver services.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "engine/setup_engine.h"
#include "pages/operation_dlg.h"
#include "res/resource.h"
#include "support/import_hook.h"
#include "support/media.h"
#include "support/user.h"

// The Install / Uninstall page with Next wired straight to the engine, so that it runs inside
// a real page run with the page as owner, as OnNext runs it after the licence and COM port
// pages; those are left out, and the page ends as soon as the operation has returned.
class EnginePage : public COperationDlg {
 public:
  const MessageMap* GetMessageMap() const override { return &kMap; }

  HWND m_hPage = nullptr;  // kept for the assertions after the run

 private:
  void OnRun() {
    m_hPage = m_hWnd;
    m_bDone = PerformOperation();
    EndDialog(IDOK);
  }

  static const MessageMapEntry kEntries[];
  static const MessageMap kMap;
};
inline const MessageMapEntry EnginePage::kEntries[] = {
    {IDC_NEXT, BN_CLICKED, Handler<&EnginePage::OnRun>()}};
inline const MessageMap EnginePage::kMap = {&COperationDlg::messageMap, kEntries, 1};

// Acts as the user until `finished`: clicks Next on the page once, answers message boxes with
// OK and the setup API's "Files Needed" prompt with Cancel.
inline void AnswerUntil(User& u, const std::atomic<bool>& finished) {
  bool clickedNext = false;
  DWORD unknownSince = 0;
  const DWORD start = GetTickCount();
  while (!finished) {
    for (HWND dlg : u.Dialogs()) {
      Sleep(30);                            // let it settle before acting on it
      if (!IsWindowVisible(dlg)) continue;  // gone meanwhile
      if (User::Text(dlg) == "Files Needed") {
        u.Click(dlg, IDCANCEL);
      } else if (User::IsMessageBox(dlg)) {
        u.Click(dlg, IDOK);
      } else if (GetDlgItem(dlg, IDC_NEXT) != nullptr) {
        if (!clickedNext) u.Click(dlg, IDC_NEXT);
        clickedNext = true;
        continue;
      } else {
        // A window may show before it is fully set up; one that stays unknown is a fault.
        if (unknownSince == 0) unknownSince = GetTickCount();
        if (GetTickCount() - unknownSince < 1000) continue;
        ADD_FAILURE() << "unexpected window \"" << User::Text(dlg) << "\"";
        u.Rescue();
        return;
      }
      u.WaitUntilGone(dlg, 5000);
      unknownSince = 0;
      break;  // what is open has changed
    }
    if (GetTickCount() - start > 15000) {
      ADD_FAILURE() << "the engine did not finish";
      u.Rescue();
      return;
    }
    Sleep(10);
  }
}

// Runs `work` on this thread while a user answers what it shows.
inline void WithUser(const std::function<void()>& work) {
  std::atomic<bool> finished{false};
  UserScript user([&](User& u) { AnswerUntil(u, finished); });
  work();
  finished = true;
}

struct Outcome {
  int result;
  int filesCommitted;
  HWND page;
};

inline Outcome RunEngine(int install, const std::string& service, const std::string& sourceDir,
                         const std::string& infPath, int comNumber = 0, int waitOnTx = 0) {
  EnginePage page;
  page.m_bInstall = install;
  page.SetInfLocation(service.c_str(), sourceDir.c_str(), infPath.c_str());
  page.m_nComNumber = comNumber;
  page.m_nWaitOnTx = waitOnTx;
  page.m_bFilesCommitted = 7;  // the page's initialisation must reset it
  WithUser([&] { EXPECT_EQ(IDOK, page.DoModal()); });
  return {page.m_bDone, page.m_bFilesCommitted, page.m_hPage};
}

struct ShownBox {
  std::string text;
  std::string caption;
  UINT type;
  HWND owner;
};

// Records, for its life and on this thread, what the engine does through its imports: the
// boxes it shows, its debugger output and each release of a handle, named after the call
// that acquired it ("release key" for the service key, "release Parameters"). Every call is
// passed through; each release then clobbers the last error, as a real one may.
class EngineLog {
 public:
  EngineLog() = default;
  ~EngineLog() { current_ = nullptr; }
  EngineLog(const EngineLog&) = delete;
  EngineLog& operator=(const EngineLog&) = delete;

  bool installed() const {
    for (const ImportHook* hook : {&openInf_, &openQueue_, &initContext_, &term_, &closeQueue_,
                                   &closeInf_, &createKey_, &openKey_, &closeKey_, &box_, &debug_})
      if (!hook->installed()) return false;
    return true;
  }

  std::vector<std::string> calls;
  std::vector<ShownBox> boxes;
  HWND contextOwner = nullptr;  // of the setup API's own windows: the page, so they stay on top
  REGSAM keyAccess = 0;         // asked for the service key

 private:
  static EngineLog* Here() {
    return current_ != nullptr && GetCurrentThreadId() == current_->thread_ ? current_ : nullptr;
  }
  void Released(void* handle, void* acquired, const char* what) {
    calls.push_back(std::string("release ") + what + (handle == acquired ? "" : " (not ours)"));
  }

  static HINF WINAPI OpenInf(PCSTR name, PCSTR cls, DWORD style, PUINT line) {
    HINF h = current_->openInf_.original<decltype(&OpenInf)>()(name, cls, style, line);
    if (EngineLog* log = Here()) log->inf_ = h;
    return h;
  }
  static HSPFILEQ WINAPI OpenQueue() {
    HSPFILEQ h = current_->openQueue_.original<decltype(&OpenQueue)>()();
    if (EngineLog* log = Here()) log->queue_ = h;
    return h;
  }
  static PVOID WINAPI InitContext(HWND owner, HWND alt, UINT msg, DWORD r1, PVOID r2) {
    PVOID h = current_->initContext_.original<decltype(&InitContext)>()(owner, alt, msg, r1, r2);
    if (EngineLog* log = Here()) {
      log->context_ = h;
      log->contextOwner = owner;
    }
    return h;
  }
  static void WINAPI Term(PVOID h) {
    current_->term_.original<decltype(&Term)>()(h);
    if (EngineLog* log = Here()) log->Released(h, log->context_, "context");
    SetLastError(ERROR_INVALID_HANDLE);
  }
  static BOOL WINAPI CloseQueue(HSPFILEQ h) {
    const BOOL ok = current_->closeQueue_.original<decltype(&CloseQueue)>()(h);
    if (EngineLog* log = Here()) log->Released(h, log->queue_, "queue");
    SetLastError(ERROR_INVALID_HANDLE);
    return ok;
  }
  static void WINAPI CloseInf(HINF h) {
    current_->closeInf_.original<decltype(&CloseInf)>()(h);
    if (EngineLog* log = Here()) log->Released(h, log->inf_, "INF");
    SetLastError(ERROR_INVALID_HANDLE);
  }
  static LONG WINAPI CreateKey(HKEY root, LPCSTR sub, DWORD r, LPSTR cls, DWORD opt, REGSAM sam,
                               LPSECURITY_ATTRIBUTES sa, PHKEY out, LPDWORD disp) {
    const LONG rc = current_->createKey_.original<decltype(&CreateKey)>()(root, sub, r, cls, opt,
                                                                          sam, sa, out, disp);
    if (EngineLog* log = Here()) {
      log->keyAccess = sam;
      if (rc == ERROR_SUCCESS) log->key_ = *out;
    }
    return rc;
  }
  static LONG WINAPI OpenKey(HKEY root, LPCSTR sub, DWORD opt, REGSAM sam, PHKEY out) {
    const LONG rc = current_->openKey_.original<decltype(&OpenKey)>()(root, sub, opt, sam, out);
    if (EngineLog* log = Here();
        log != nullptr && rc == ERROR_SUCCESS && lstrcmpA(sub, "Parameters") == 0)
      log->parameters_.push_back(*out);
    return rc;
  }
  static LONG WINAPI CloseKey(HKEY h) {
    const LONG rc = current_->closeKey_.original<decltype(&CloseKey)>()(h);
    if (EngineLog* log = Here()) {
      if (h == log->key_) {
        log->calls.push_back("release key");
      } else {
        for (HKEY& open : log->parameters_)
          if (open == h) {
            log->calls.push_back("release Parameters");
            open = nullptr;
          }
      }
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return rc;
  }
  static int WINAPI Box(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (EngineLog* log = Here()) {
      log->calls.push_back(std::string("box: ") + (text != nullptr ? text : "<null>"));
      log->boxes.push_back(
          {text != nullptr ? text : "<null>", caption != nullptr ? caption : "", type, owner});
    }
    return current_->box_.original<decltype(&Box)>()(owner, text, caption, type);
  }
  static void WINAPI Debug(LPCSTR text) {
    if (EngineLog* log = Here())
      log->calls.push_back(std::string("debug: ") + (text != nullptr ? text : "<null>"));
    current_->debug_.original<decltype(&Debug)>()(text);
  }

  static inline EngineLog* current_ = nullptr;
  // Set before the hooks below go in: they find the log through it.
  const bool registered_ = (current_ = this, true);
  const DWORD thread_ = GetCurrentThreadId();
  HINF inf_ = nullptr;
  HSPFILEQ queue_ = nullptr;
  PVOID context_ = nullptr;
  HKEY key_ = nullptr;
  std::vector<HKEY> parameters_;

  ImportHook openInf_{"SETUPAPI.dll", "SetupOpenInfFileA", &OpenInf};
  ImportHook openQueue_{"SETUPAPI.dll", "SetupOpenFileQueue", &OpenQueue};
  ImportHook initContext_{"SETUPAPI.dll", "SetupInitDefaultQueueCallbackEx", &InitContext};
  ImportHook term_{"SETUPAPI.dll", "SetupTermDefaultQueueCallback", &Term};
  ImportHook closeQueue_{"SETUPAPI.dll", "SetupCloseFileQueue", &CloseQueue};
  ImportHook closeInf_{"SETUPAPI.dll", "SetupCloseInfFile", &CloseInf};
  ImportHook createKey_{"ADVAPI32.dll", "RegCreateKeyExA", &CreateKey};
  ImportHook openKey_{"ADVAPI32.dll", "RegOpenKeyExA", &OpenKey};
  ImportHook closeKey_{"ADVAPI32.dll", "RegCloseKey", &CloseKey};
  ImportHook box_{"USER32.dll", "MessageBoxA", &Box};
  ImportHook debug_{"KERNEL32.dll", "OutputDebugStringA", &Debug};
};

// The system's text for a code, inserts left as they are; "" when it has none.
inline std::string SystemText(DWORD code) {
  char* text = nullptr;
  FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0x0400, reinterpret_cast<char*>(&text), 0, nullptr);
  const std::string result = text != nullptr ? text : "";
  LocalFree(text);
  return result;
}

// A driver service of one test: its service, its key and its driver files in the drivers folder
// are removed before (leftovers of an aborted run) and after the test.
class ScratchService {
 public:
  ScratchService(std::string name, std::vector<std::string> files)
      : name_(std::move(name)), files_(std::move(files)) {
    Clean();
  }
  ~ScratchService() { Clean(); }
  ScratchService(const ScratchService&) = delete;
  ScratchService& operator=(const ScratchService&) = delete;

  const std::string& name() const { return name_; }
  std::string key() const { return kServicesKey + name_; }
  std::string parameters() const { return key() + "\\Parameters"; }
  std::string driver(size_t i = 0) const { return DriversDir() + files_[i]; }
  bool serviceExists() const {
    SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    SC_HANDLE svc = OpenServiceA(scm, name_.c_str(), SERVICE_QUERY_STATUS);
    if (svc != nullptr) CloseServiceHandle(svc);
    CloseServiceHandle(scm);
    return svc != nullptr;
  }

 private:
  void Clean() const {
    SC_HANDLE scm = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (SC_HANDLE svc = OpenServiceA(scm, name_.c_str(), DELETE)) {
      DeleteService(svc);
      CloseServiceHandle(svc);
    }
    CloseServiceHandle(scm);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, key());
    for (const std::string& file : files_) {
      SetFileAttributesA((DriversDir() + file).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA((DriversDir() + file).c_str());
    }
  }

  std::string name_;
  std::vector<std::string> files_;
};

// An INF in the driver package's layout: Install copies the files, writes the HKR entries
// (Parameters included) and adds the service; Uninstall deletes the files and the service.
// Tests change the parts they are about.
struct DriverInf {
  DriverInf(const std::string& service, const std::vector<std::string>& driverFiles) {
    for (const std::string& file : driverFiles) {
      sourceFiles += file + " = 1\n";
      files += file + "\n";
    }
    install = "CopyFiles = Files\nAddReg = Reg\nAddService = " + service + ",0,Service\n";
    uninstall = "DelFiles = Files\nDelService = " + service + "\n";
    reg = "HKR,Parameters,PortCount,0x10001,8\n";
    serviceLines = "ServiceType = 1\nStartType = 3\nErrorControl = 1\nServiceBinary = %12%\\" +
                   driverFiles.front() + "\n";
  }

  std::string Text() const {
    return "[Version]\nSignature = \"$Windows NT$\"\nClass = Ports\n\n"
           "[SourceDisksNames]\n1 = \"Test Disk\",,,\n\n"
           "[SourceDisksFiles]\n" +
           sourceFiles + "\n[DestinationDirs]\nDefaultDestDir = 12\n\n[Install]\n" + install +
           "\n[Uninstall]\n" + uninstall + "\n[Files]\n" + files + "\n[Reg]\n" + reg +
           "\n[Service]\n" + serviceLines;
  }

  std::string sourceFiles, files, install, uninstall, reg, serviceLines;
};
