// Files beside the test program, where the program looks for its own (licence.txt, ZL73.INF).
// The tests run one at a time, so they can share them; each removes its file on every path.
#pragma once

#include <windows.h>

#include <string>

#include "app/exe_directory.h"
#include "support/media.h"

inline std::string ProgramFolder() {
  CString dir;
  GetExeDirectory(dir);
  return std::string(dir);
}

class FileBesideProgram {
 public:
  // None beside the program, also if an earlier run left one (or a folder of its name).
  explicit FileBesideProgram(const char* name) : path_(ProgramFolder() + name) { Remove(); }
  FileBesideProgram(const char* name, const std::string& bytes) : path_(ProgramFolder() + name) {
    WriteFileBytes(path_, bytes);
  }
  ~FileBesideProgram() { Remove(); }
  FileBesideProgram(const FileBesideProgram&) = delete;
  FileBesideProgram& operator=(const FileBesideProgram&) = delete;

  const std::string& path() const { return path_; }

 private:
  void Remove() const {
    DeleteFileA(path_.c_str());
    RemoveDirectoryA(path_.c_str());
  }

  const std::string path_;
};
