// The robot's side of an end-to-end run: a media folder laid out like the installation disk,
// setup.exe started from it as a child process, a user who reads and answers its windows,
// and what the run left in Wine's log (debugger output, the restart offer). With
// ZL73_E2E_NARRATE=1 the robot tells on stdout what it sees and does.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "support/media.h"
#include "support/user.h"

// ZL73_E2E_DISK, a folder (ending in a backslash) with the files of an installation disk,
// such as those read back from the floppy image: setup.exe and the sample media files then
// come from there rather than from the build.
std::string Disk();
// ZL73_E2E_DRIVE, a drive such as "A:" whose root is the media folder instead of a temporary
// folder, so that paths on screen are those a user sees.
std::string Drive();

// setup.exe as built (or on the disk), and the build with the copy-prompt stand-in.
std::string SetupExe();
std::string SeamedSetupExe();
// A DLL that, loaded, leaves a file of its name and ".loaded" beside itself.
std::string PlantedDll();
// The bytes of a file of the sample installation media.
std::string SampleMediaFile(const std::string& name);
// Copies these files of the sample media into the folder.
void PutSampleFiles(const TempDir& media, std::initializer_list<const char*> names);

bool Narrating();
void Narrate(const std::string& line);
// The service's registry keys and the driver file, as the narration's closing lines.
void NarrateInstalledState(const std::string& serviceName);

// A user at the screen of one setup.exe run. Waiting, reading and acting as User does; each
// window seen and each answer given is narrated.
class Robot {
 public:
  explicit Robot(DWORD processId) : user_(User::OfProcess(processId)) {}

  User& user() { return user_; }

  HWND WelcomePage();
  HWND OperationPage();
  HWND LicencePage();
  HWND ComPortPage();
  // The Install / Uninstall page once the operation has succeeded.
  HWND FinishedPage();
  // A window of the setup API, known by its caption.
  HWND Prompt(const std::string& caption);
  SeenMessageBox MessageBox();
  // The next page of an installation after the Install / Uninstall page.
  HWND LicenceOrComPortPage();

  void Click(HWND dlg, int controlId);
  void PressEsc(HWND dlg);
  void CloseBox(HWND dlg);
  // Picks the list entry with this text in a drop-down combo box.
  void Pick(HWND dlg, int controlId, const std::string& entry);
  // Clicks a check box or radio button and waits until it shows checked.
  void Check(HWND dlg, int controlId);
  // With ZL73_SCREENSHOTS naming a folder, has scripts/screenshots.sh capture the window there
  // as <name>.png, with the list of this combo box dropped down if one is given.
  void Snap(HWND window, const std::string& name, int comboId = 0);

 private:
  HWND See(HWND dlg);

  User user_;
};

// One run of setup.exe copied into the media folder (unless it is there already), started with
// no debugger attached.
class SetupRun {
 public:
  explicit SetupRun(const std::string& folder, const std::string& program = SetupExe());
  explicit SetupRun(const TempDir& media, const std::string& program = SetupExe())
      : SetupRun(media.path(), program) {}
  // A run still going is ended, so a failed test leaves nothing behind.
  ~SetupRun();
  SetupRun(const SetupRun&) = delete;
  SetupRun& operator=(const SetupRun&) = delete;

  Robot& robot() { return robot_; }
  // Fails the test (naming what is still open) when the process does not end in time.
  void ExpectExit(DWORD timeoutMs = 5000);
  // What the run sent to the debugger output, one text per call; complete after the exit.
  std::vector<std::string> DebugOutput() const;
  // Whether the run asked the platform to offer a restart.
  bool OfferedRestart() const;

 private:
  // The run's own lines of the log, written since it started.
  std::vector<std::string> LogLines() const;

  // The log's size is taken before the program starts.
  std::string logPath_;
  size_t logStart_;
  PROCESS_INFORMATION process_;
  Robot robot_;
};
