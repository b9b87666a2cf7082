#include "e2e/setup_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/handles.h"
#include "res/resource.h"

namespace {
// The build passes Unix paths; Wine maps the Unix root to drive Z:.
std::string WindowsPath(const char* pszUnixPath) {
  std::string path = std::string("Z:") + pszUnixPath;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string Env(const char* pszName) {
  const char* pszValue = std::getenv(pszName);
  return pszValue != nullptr ? pszValue : "";
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string::size_type start = 0;
  for (;;) {
    const std::string::size_type end = text.find('\n', start);
    std::string line = text.substr(start, end == std::string::npos ? end : end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

// A control's text as the user reads it: "&Next >" shows as "Next >".
std::string Shown(const std::string& text) {
  std::string shown;
  for (std::string::size_type i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  return shown;
}

// A window's controls in reading order: top to bottom, then left to right.
std::vector<HWND> Controls(HWND dlg) {
  std::vector<std::pair<RECT, HWND>> found;
  for (HWND child = GetWindow(dlg, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    RECT rect = {};
    GetWindowRect(child, &rect);
    found.emplace_back(rect, child);
  }
  std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
    return a.first.top != b.first.top ? a.first.top < b.first.top : a.first.left < b.first.left;
  });
  std::vector<HWND> controls;
  for (const auto& control : found) controls.push_back(control.second);
  return controls;
}

LONG StyleOf(HWND hwnd) { return GetWindowLongA(hwnd, GWL_STYLE); }

bool IsGroupBox(HWND hwnd) {
  return User::ClassOf(hwnd) == "Button" && (StyleOf(hwnd) & BS_TYPEMASK) == BS_GROUPBOX;
}

// A page is known by its group box; a window without one by its caption.
std::string WindowName(HWND dlg) {
  for (HWND control : Controls(dlg)) {
    if (IsGroupBox(control)) return "\"" + Shown(User::Text(control)) + "\" page";
  }
  return "\"" + User::Text(dlg) + "\"";
}

void NarrateLines(const std::string& prefix, const std::string& text, size_t maxLines = 100,
                  const std::string& firstLineNote = "") {
  std::vector<std::string> lines = SplitLines(text);
  lines.front() += firstLineNote;
  const std::string indent(prefix.size(), ' ');
  for (size_t i = 0; i < lines.size() && i < maxLines; ++i) {
    std::string line = lines[i];
    if (line.size() > 100) line = line.substr(0, 97) + "...";
    Narrate("    " + (i == 0 ? prefix : indent) + line);
  }
  if (lines.size() > maxLines) {
    Narrate("    " + indent + "... (" + std::to_string(lines.size()) + " lines, " +
            std::to_string(text.size()) + " bytes in all)");
  }
}

void NarrateControl(HWND control, std::string& buttons) {
  const LONG style = StyleOf(control);
  if ((style & WS_VISIBLE) == 0) return;
  const std::string cls = User::ClassOf(control);
  const std::string text = Shown(User::Text(control));
  const bool greyed = IsWindowEnabled(control) == FALSE;
  if (cls == "Button") {
    const int checked = static_cast<int>(SendMessageA(control, BM_GETCHECK, 0, 0));
    switch (style & BS_TYPEMASK) {
      case BS_GROUPBOX:
        Narrate("    == " + text + " ==");
        return;
      case BS_AUTORADIOBUTTON:
      case BS_RADIOBUTTON:
        NarrateLines(checked ? "(o) " : "( ) ", text, 100, greyed ? " (greyed)" : "");
        return;
      case BS_AUTOCHECKBOX:
      case BS_CHECKBOX:
        NarrateLines(checked ? "[x] " : "[ ] ", text, 100, greyed ? " (greyed)" : "");
        return;
      default:
        buttons += " [" + text + (greyed ? " (greyed)" : "") + "]";
        return;
    }
  }
  if (cls == "Static") {
    if ((style & SS_TYPEMASK) != SS_ICON && !text.empty()) NarrateLines("", text);
    return;
  }
  if (cls == "Edit") {
    NarrateLines("| ", User::Text(control), 3);
    return;
  }
  if (cls == "ComboBox") Narrate("    [" + User::Text(control) + " v]");
}

std::string OwnerText(HWND dlg) {
  HWND owner = User::Owner(dlg);
  return owner == nullptr ? "no owner" : "owned by the " + WindowName(owner);
}

void NarrateKey(HKEY root, const std::string& path, const std::string& shownPath) {
  const RegKey key = OpenKey(root, path, KEY_READ);
  if (!key) {
    Narrate("    " + shownPath + ": no such key");
    return;
  }
  Narrate("    " + shownPath);
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD nameLength = sizeof(name);
    BYTE data[1024] = {};
    DWORD dataSize = sizeof(data) - 1;
    DWORD type = 0;
    if (RegEnumValueA(key.get(), i, name, &nameLength, nullptr, &type, data, &dataSize) !=
        ERROR_SUCCESS) {
      break;
    }
    std::string shown;
    if (type == REG_DWORD) {
      shown = std::to_string(*reinterpret_cast<const DWORD*>(data)) + " (REG_DWORD)";
    } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
      shown = "\"" + std::string(reinterpret_cast<const char*>(data)) + "\"" +
              (type == REG_SZ ? " (REG_SZ)" : " (REG_EXPAND_SZ)");
    } else {
      shown = std::to_string(dataSize) + " bytes of type " + std::to_string(type);
    }
    Narrate("        " + std::string(name) + " = " + shown);
  }
  for (DWORD i = 0;; ++i) {
    char name[256];
    DWORD nameLength = sizeof(name);
    if (RegEnumKeyExA(key.get(), i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    NarrateKey(root, path + "\\" + name, shownPath + "\\" + name);
  }
}

// Undoes Wine's quoting of a debug string: "text" with C escapes.
std::string Unquote(const std::string& quoted) {
  std::string text;
  for (std::string::size_type i = 1; i < quoted.size() && quoted[i] != '"'; ++i) {
    if (quoted[i] != '\\' || i + 1 >= quoted.size()) {
      text += quoted[i];
      continue;
    }
    const char c = quoted[++i];
    if (c == 'x' && i + 2 < quoted.size()) {
      text += static_cast<char>(std::strtol(quoted.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      text += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    }
  }
  return text;
}

const char kDebugStringTag[] = ":warn:debugstr:OutputDebugStringA ";
// SetupPromptReboot(NULL, NULL, FALSE): Wine prints a pointer with as many digits as setup.exe
// has, which is as many as this program has.
const std::string kNull(2 * sizeof(void*), '0');
const std::string kRestartOfferLine =
    ":fixme:setupapi:SetupPromptReboot " + kNull + ", " + kNull + ", 0: stub";
}  // namespace

std::string Disk() { return Env("ZL73_E2E_DISK"); }

std::string Drive() { return Env("ZL73_E2E_DRIVE"); }

std::string SetupExe() {
  return Disk().empty() ? WindowsPath(E2E_SETUP_EXE) : Disk() + "setup.exe";
}

std::string SeamedSetupExe() { return WindowsPath(E2E_SEAMED_SETUP_EXE); }
std::string PlantedDll() { return WindowsPath(E2E_PLANTED_DLL); }

std::string SampleMediaFile(const std::string& name) {
  return ReadFileBytes((Disk().empty() ? WindowsPath(E2E_SAMPLE_MEDIA) : Disk()) + name);
}

void PutSampleFiles(const TempDir& media, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    const std::string bytes = SampleMediaFile(name);
    EXPECT_FALSE(bytes.empty()) << "sample media file " << name;
    media.Write(name, bytes);
  }
}

bool Narrating() {
  static const bool on = Env("ZL73_E2E_NARRATE") == "1";
  return on;
}

void Narrate(const std::string& line) {
  if (!Narrating()) return;
  std::fputs((line + "\n").c_str(), stdout);
  std::fflush(stdout);
}

void NarrateInstalledState(const std::string& serviceName) {
  if (!Narrating()) return;
  Narrate("What the system holds now:");
  const std::string key = kServicesKey + serviceName;
  NarrateKey(HKEY_LOCAL_MACHINE, key, "HKLM\\" + key);
  const std::string driver = DriversDir() + "zl73.sys";
  Narrate("    " + driver + ": " +
          (FileExists(driver) ? std::to_string(ReadFileBytes(driver).size()) + " bytes"
                              : std::string("no such file")));
}

HWND Robot::See(HWND dlg) {
  if (!Narrating()) return dlg;
  Narrate(std::string(User::IsMessageBox(dlg) ? "Message box" : "Window") + " \"" +
          User::Text(dlg) + "\" (" + OwnerText(dlg) + ")");
  std::string buttons;
  for (HWND control : Controls(dlg)) NarrateControl(control, buttons);
  if (!buttons.empty()) Narrate("   " + buttons);
  return dlg;
}

HWND Robot::WelcomePage() { return See(user_.WaitForWelcomePage()); }

HWND Robot::OperationPage() { return See(user_.WaitForPageWith(IDC_NEXT)); }

HWND Robot::LicencePage() { return See(user_.WaitForPageWith(IDC_LICENCE_TEXT)); }

HWND Robot::ComPortPage() { return See(user_.WaitForPageWith(IDC_START_COM)); }

HWND Robot::LicenceOrComPortPage() {
  return See(user_.WaitForDialog(
      [](HWND hwnd) {
        return !User::IsMessageBox(hwnd) &&
               (GetDlgItem(hwnd, IDC_LICENCE_TEXT) || GetDlgItem(hwnd, IDC_START_COM));
      },
      "the licence page or the COM port page"));
}

HWND Robot::FinishedPage() {
  return See(user_.WaitForDialog(
      [](HWND hwnd) {
        return GetDlgItem(hwnd, IDC_NEXT) && User::Enabled(hwnd, IDC_NEXT) &&
               User::ItemText(hwnd, IDC_NEXT) == "Finish";
      },
      "the Finish button"));
}

HWND Robot::Prompt(const std::string& caption) { return See(user_.WaitForCaption(caption)); }

SeenMessageBox Robot::MessageBox() {
  const SeenMessageBox box = user_.WaitForMessageBox();
  See(box.hwnd);
  return box;
}

void Robot::Click(HWND dlg, int controlId) {
  Narrate("  -> The user clicks \"" + Shown(User::ItemText(dlg, controlId)) + "\".");
  user_.Click(dlg, controlId);
  // A box always closes on its button; waiting keeps the next look from finding it again.
  if (User::IsMessageBox(dlg) && !user_.WaitUntilGone(dlg)) {
    ADD_FAILURE() << "the message box stayed open after the click";
  }
}

void Robot::PressEsc(HWND dlg) {
  Narrate("  -> The user presses Esc.");
  user_.PressKeyInFocus(dlg, VK_ESCAPE);
}

void Robot::CloseBox(HWND dlg) {
  Narrate("  -> The user clicks the close box.");
  user_.CloseBox(dlg);
}

void Robot::Pick(HWND dlg, int controlId, const std::string& entry) {
  Narrate("  -> The user picks " + entry + " from the list.");
  const LRESULT index = SendTo(GetDlgItem(dlg, controlId), CB_FINDSTRINGEXACT,
                               static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry.c_str()));
  user_.SelectComboItem(dlg, controlId, static_cast<int>(index));
  EXPECT_EQ(entry, User::ItemText(dlg, controlId));
}

void Robot::Check(HWND dlg, int controlId) {
  Narrate("  -> The user checks \"" + SplitLines(Shown(User::ItemText(dlg, controlId))).front() +
          "\".");
  user_.Click(dlg, controlId);
  user_.WaitForDialog(
      [dlg, controlId](HWND hwnd) {
        return hwnd == dlg && User::Checked(dlg, controlId) == BST_CHECKED;
      },
      "control " + std::to_string(controlId) + " checked");
}

void Robot::Snap(HWND window, const std::string& name, int comboId) {
  static const std::string folder = Env("ZL73_SCREENSHOTS");
  if (folder.empty()) return;
  HWND combo = comboId != 0 ? GetDlgItem(window, comboId) : nullptr;
  if (combo != nullptr) PostMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
  // The request names the X display and the window's place, as the capture tool takes them.
  RECT rect = {};
  GetWindowRect(window, &rect);
  char request[128];
  wsprintfA(request, "%s %ldx%ld+%ld+%ld\n", Env("DISPLAY").c_str(), rect.right - rect.left,
            rect.bottom - rect.top, rect.left, rect.top);
  const std::string base = WindowsPath(folder.c_str()) + "\\" + name;
  std::ofstream(base + ".part") << request;
  MoveFileA((base + ".part").c_str(), (base + ".rect").c_str());
  const DWORD start = GetTickCount();
  while (!FileExists(base + ".png")) {
    if (GetTickCount() - start > 30000) {
      ADD_FAILURE() << "nothing captured " << name << ": run through scripts/screenshots.sh";
      break;
    }
    Sleep(50);
  }
  if (combo != nullptr) PostMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
}

namespace {
// The calls are wide: a folder may be named in letters the ANSI code page lacks.
PROCESS_INFORMATION StartSetup(const std::string& folder, const std::string& program) {
  PROCESS_INFORMATION process = {};
  const std::string exe = folder + "setup.exe";
  // A program already in the folder runs where it is, as from a disk.
  if (lstrcmpiA(program.c_str(), exe.c_str()) != 0 &&
      !CopyFileW(Wide(program).c_str(), Wide(exe).c_str(), FALSE)) {
    ADD_FAILURE() << "cannot copy " << program << ": error " << GetLastError();
    return process;
  }
  Narrate("");
  Narrate("*** " + exe + " starts.");
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  std::wstring commandLine = L"\"" + Wide(exe) + L"\"";
  // On a busy machine Wine now and then fails a start with its internal error, before the
  // program has run at all: such a start, and only such a one, is tried once more.
  for (int attempt = 1; !CreateProcessW(Wide(exe).c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                                        0, nullptr, Wide(folder).c_str(), &startup, &process);
       ++attempt) {
    const DWORD error = GetLastError();
    if (error != ERROR_INTERNAL_ERROR || attempt > 1) {
      ADD_FAILURE() << "cannot start " << exe << ": error " << error;
      break;
    }
    std::printf("cannot start %s: Wine's internal error 1359; trying once more\n", exe.c_str());
    std::fflush(stdout);
  }
  return process;
}
}  // namespace

SetupRun::SetupRun(const std::string& folder, const std::string& program)
    : logPath_(Env("WINE_RUN_LOG")),
      logStart_(ReadFileBytes(logPath_).size()),
      process_(StartSetup(folder, program)),
      robot_(process_.dwProcessId) {}

SetupRun::~SetupRun() {
  if (process_.hProcess == nullptr) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    robot_.user().Rescue();
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 5000);
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

void SetupRun::ExpectExit(DWORD timeoutMs) {
  if (process_.hProcess == nullptr) return;
  if (WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0) {
    DWORD code = 1;
    EXPECT_TRUE(GetExitCodeProcess(process_.hProcess, &code) && code == 0)
        << "exit status " << code;
    if (Narrating()) {
      for (const std::string& text : DebugOutput())
        Narrate("The program's debugger output: " + text);
      if (OfferedRestart()) {
        Narrate(
            "The platform is asked to offer a restart (SetupPromptReboot; Wine shows nothing).");
      }
      Narrate("*** setup.exe has ended.");
    }
    return;
  }
  ADD_FAILURE() << "setup.exe still runs; open windows:\n" << robot_.user().Describe();
  robot_.user().Rescue();
  TerminateProcess(process_.hProcess, 1);
  WaitForSingleObject(process_.hProcess, 5000);
}

std::vector<std::string> SetupRun::LogLines() const {
  if (logPath_.empty()) {
    ADD_FAILURE() << "no WINE_RUN_LOG: run through tests/support/wine-run.sh, with WINEDEBUG="
                     "-all,fixme+setupapi,warn+debugstr";
    return {};
  }
  const std::string log = ReadFileBytes(logPath_);
  const std::string text = log.size() > logStart_ ? log.substr(logStart_) : std::string();

  // Wine starts each debug line with the id of the thread that wrote it.
  char prefix[16];
  wsprintfA(prefix, "%04x:", process_.dwThreadId);
  std::vector<std::string> own;
  for (const std::string& line : SplitLines(text)) {
    if (line.compare(0, std::strlen(prefix), prefix) == 0) own.push_back(line);
  }
  return own;
}

std::vector<std::string> SetupRun::DebugOutput() const {
  std::vector<std::string> texts;
  for (const std::string& line : LogLines()) {
    const std::string::size_type at = line.find(kDebugStringTag);
    if (at != std::string::npos)
      texts.push_back(Unquote(line.substr(at + std::strlen(kDebugStringTag))));
  }
  return texts;
}

bool SetupRun::OfferedRestart() const {
  for (const std::string& line : LogLines()) {
    if (line.find(kRestartOfferLine) != std::string::npos) return true;
  }
  return false;
}
