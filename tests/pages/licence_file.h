// licence.txt beside the test program, where the licence page looks for it. The pages' tests
// run one at a time, so they can share the one file; each removes it again on every path.
#pragma once

#include <windows.h>

#include <string>

#include "app/exe_directory.h"
#include "platform/handles.h"

inline std::string LicencePathBesideProgram() {
  CString dir;
  GetExeDirectory(dir);
  return std::string(dir) + "licence.txt";
}

class LicenceFile {
 public:
  // No licence beside the program, also if an earlier run left one (or a folder of its name).
  LicenceFile() { Remove(); }
  explicit LicenceFile(const std::string& bytes) {
    FileHandle file(CreateFileA(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file)
      WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  }
  ~LicenceFile() { Remove(); }
  LicenceFile(const LicenceFile&) = delete;
  LicenceFile& operator=(const LicenceFile&) = delete;

  const std::string& path() const { return path_; }

 private:
  void Remove() const {
    DeleteFileA(path_.c_str());
    RemoveDirectoryA(path_.c_str());
  }

  const std::string path_ = LicencePathBesideProgram();
};

// Whether nobody holds the file open: an open without sharing succeeds only then.
inline bool NobodyHolds(const std::string& path) {
  FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  return static_cast<bool>(file);
}
